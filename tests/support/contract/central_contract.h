#pragma once

// The rules every Bluetooth backend keeps, written once and run on each backend with a recording
// delegate in place of the manager: reports are queued (never inside the call that caused them),
// a scan reports each device once, GATT objects are absent until discovered and follow the
// filter, every write with response is answered once on the characteristic written, a write
// without response never, a read once, and nothing arrives once the central is gone.
//
// A backend instantiates the suite with a fixture trait of its own:
//
//   struct Backend {
//       // What a live link is right after cancelConnection: a stack that waits for the device
//       // says Disconnecting, one that lets go at once Disconnected.
//       static constexpr PeripheralState kStateRightAfterCancellingALink;
//
//       void addVontalDevice(const ContractDevice& device);
//       // A device advertising one service that is not vontal's.
//       void addOtherDevice(std::uint64_t address, const std::string& name,
//                           const BluetoothUuid& service);
//       std::unique_ptr<Central> makeCentral(CentralDelegate& delegate);
//
//       // The stack hears the device advertise again.
//       void hearAgain(std::uint64_t address);
//       // The device drops its link.
//       void dropLink(std::uint64_t address);
//       // The device changes the characteristic and notifies whoever subscribed.
//       void notify(std::uint64_t address, const BluetoothUuid& characteristic, Bytes value);
//
//       // Runs the stack until `condition` holds, or gives up; says whether it holds.
//       bool waitUntil(const std::function<bool()>& condition);
//       // Runs the stack until every report already on its way has been delivered.
//       bool settle();
//       // Until the device no longer has a link from this process.
//       bool waitForLinkToEnd(std::uint64_t address);
//       // The writes the device received on one characteristic, in order.
//       std::vector<ContractWrite> writesReceived(std::uint64_t address,
//                                                 const BluetoothUuid& characteristic);
//   };
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, CentralContract, ::testing::Types<Backend>);

#include "devicelink/peripheral_manager.h"
#include "tests/support/contract/central_recorder.h"

#include <cstdint>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal::contract {

// A device of the kind vontal talks to, as each backend's stand-in makes it: the custom service
// with the password, data and device-name characteristics in that order.
struct ContractDevice {
    std::uint64_t address;
    std::string name;
    std::string password;
    std::string customName;
    Bytes dataValue;
};

struct ContractWrite {
    Bytes value;
    WriteType type;
    friend bool operator==(const ContractWrite&, const ContractWrite&) = default;
};

inline void PrintTo(const ContractWrite& write, std::ostream* out) {
    *out << (write.type == WriteType::WithResponse ? "request" : "command") << " of "
         << ::testing::PrintToString(write.value);
}

inline Bytes bytesOfText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

constexpr std::uint64_t kDeskAddress = 0xC0FFEE000001;
constexpr std::uint64_t kLampAddress = 0xC0FFEE000002;
constexpr std::uint64_t kMouseAddress = 0xC0FFEE000003;
inline const ContractDevice kDesk{kDeskAddress, "Desk", "hunter2", "Kitchen", {0x00, 0x7F}};
inline const ContractDevice kLamp{kLampAddress, "Lamp", "lamp-secret", "Hall", {0x00, 0x7F}};

template <typename Backend> class CentralContract : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_THAT(recorder.synchronous, ::testing::IsEmpty()) << "reported inside a call";
    }

    template <typename Call> void call(Call&& function) { recorder.call(function); }
    bool waitFor(const std::function<bool()>& condition) { return backend.waitUntil(condition); }
    bool waitForCount(const std::string& what, std::size_t count) {
        return waitFor([&] { return recorder.count(what) >= count; });
    }

    // Makes the central and waits for its first state report.
    void start() {
        call([&] { central = backend.makeCentral(recorder); });
        EXPECT_THAT(recorder.reports, ::testing::IsEmpty());
        ASSERT_TRUE(waitForCount("state", 1));
    }

    // Scans for vontal's service until the device is reported; the scan goes on.
    PeripheralRef discovered(const ContractDevice& device) {
        const BluetoothUuid identifier = identifierOf(device.address);
        const auto isDevice = [&] {
            for (const CentralReport& report : recorder.only("discover"))
                if (report.peripheral->identifier() == identifier)
                    return report.peripheral;
            return PeripheralRef{};
        };
        call([&] { central->scanForPeripherals({PeripheralManager::serviceUUID}); });
        if (!waitFor([&] { return isDevice() != nullptr; }))
            return nullptr;
        const PeripheralRef peripheral = isDevice();
        peripheral->setDelegate(&recorder);
        return peripheral;
    }

    PeripheralRef connected(const ContractDevice& device) {
        const PeripheralRef peripheral = discovered(device);
        if (!peripheral)
            return nullptr;
        const std::size_t before = recorder.count("connect");
        call([&] { central->connect(peripheral); });
        if (!waitForCount("connect", before + 1))
            return nullptr;
        return peripheral;
    }

    // Connected, with every service and characteristic discovered.
    PeripheralRef ready(const ContractDevice& device) {
        const PeripheralRef peripheral = connected(device);
        if (!peripheral)
            return nullptr;
        call([&] { peripheral->discoverServices({}); });
        if (!waitForCount("services", 1) || !peripheral->services())
            return nullptr;
        const auto services = *peripheral->services();
        for (const ServiceRef& service : services)
            call([&] { peripheral->discoverCharacteristics({}, service); });
        if (!waitForCount("characteristics", services.size()))
            return nullptr;
        return peripheral;
    }

    static CharacteristicRef find(const PeripheralRef& peripheral, const BluetoothUuid& uuid) {
        for (const ServiceRef& service : peripheral->services().value_or(std::vector<ServiceRef>{}))
            for (const CharacteristicRef& characteristic :
                 service->characteristics().value_or(std::vector<CharacteristicRef>{}))
                if (characteristic->uuid() == uuid)
                    return characteristic;
        return nullptr;
    }

    // On Linux a device's identifier is its address in the low 48 bits.
    static BluetoothUuid identifierOf(std::uint64_t address) {
        BluetoothUuid::Bytes bytes{};
        for (int i = 0; i < 6; ++i)
            bytes[15 - i] = static_cast<std::uint8_t>(address >> (8 * i));
        return BluetoothUuid(bytes);
    }

    // Declared first: it goes last, after the central and every report that refers to it.
    Backend backend;
    CentralRecorder recorder;
    std::unique_ptr<Central> central;
};

TYPED_TEST_SUITE_P(CentralContract);

TYPED_TEST_P(CentralContract, TheStateIsReportedOnceAndLaterThanTheCentralIsMade) {
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(this->recorder.count("state"), 1u);
    EXPECT_EQ(this->central->state(), CentralState::PoweredOn);
}

TYPED_TEST_P(CentralContract, AScanReportsEachMatchingDeviceOncePerScanAsTheSameObject) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    this->backend.addOtherDevice(kMouseAddress, "Mouse", BluetoothUuid::fromString("180F"));
    ASSERT_NO_FATAL_FAILURE(this->start());

    // The filter is compared by value: the lower-case text names the same service.
    const auto lower = *BluetoothUuid::parse("837084c2-c091-41ff-a39f-4c43873ce2d5");
    ASSERT_EQ(lower, PeripheralManager::serviceUUID);
    this->call([&] { this->central->scanForPeripherals({lower}); });
    ASSERT_TRUE(this->waitForCount("discover", 1));
    const CentralReport first = recorder.reports.back();
    EXPECT_EQ(first.peripheral->identifier().toString(), "00000000-0000-0000-0000-C0FFEE000001");
    EXPECT_EQ(first.peripheral->name(), std::optional<std::string>("Desk"));
    EXPECT_EQ(first.localName, std::optional<std::string>("Desk"));

    // Heard again, a device is not reported again in the same scan; one without the service is
    // not reported at all. Lamp, added last, shows when the others would have been reported.
    this->backend.hearAgain(kDeskAddress);
    this->backend.addVontalDevice(kLamp);
    ASSERT_TRUE(this->waitForCount("discover", 2));
    ASSERT_TRUE(this->backend.settle());
    ASSERT_EQ(recorder.count("discover"), 2u);
    EXPECT_EQ(recorder.reports.back().peripheral->identifier(), this->identifierOf(kLampAddress));

    // A new scan replaces the old one and reports again, with the same peripheral objects.
    this->call([&] { this->central->scanForPeripherals({PeripheralManager::serviceUUID}); });
    ASSERT_TRUE(this->waitForCount("discover", 4));
    ASSERT_TRUE(this->backend.settle());
    const auto discoveries = recorder.only("discover");
    ASSERT_EQ(discoveries.size(), 4u);
    const bool deskSecond =
        discoveries[3].peripheral->identifier() == this->identifierOf(kDeskAddress);
    EXPECT_EQ(discoveries[deskSecond ? 3 : 2].peripheral, first.peripheral);
    EXPECT_EQ(discoveries[deskSecond ? 2 : 3].peripheral, discoveries[1].peripheral);

    // An empty list means every device.
    this->call([&] { this->central->scanForPeripherals({}); });
    ASSERT_TRUE(this->waitForCount("discover", 7));
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(recorder.count("discover"), 7u);
}

TYPED_TEST_P(CentralContract,
             ServicesAndCharacteristicsAreAbsentUntilDiscoveredAndFollowTheFilter) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->discovered(kDesk);
    ASSERT_TRUE(desk);

    this->call([&] { this->central->connect(desk); });
    EXPECT_EQ(desk->state(), PeripheralState::Connecting);
    ASSERT_TRUE(this->waitForCount("connect", 1));
    EXPECT_EQ(desk->state(), PeripheralState::Connected);
    EXPECT_FALSE(desk->services());

    this->call([&] { desk->discoverServices({PeripheralManager::serviceUUID}); });
    ASSERT_TRUE(this->waitForCount("services", 1));
    EXPECT_FALSE(recorder.reports.back().error);
    ASSERT_TRUE(desk->services());
    ASSERT_EQ(desk->services()->size(), 1u);
    const ServiceRef service = desk->services()->front();
    EXPECT_EQ(service->uuid(), PeripheralManager::serviceUUID);
    EXPECT_FALSE(service->characteristics());

    // Asked for in the other order, given in the device's order; the device-name characteristic
    // was not asked for.
    this->call([&] {
        desk->discoverCharacteristics(
            {PeripheralManager::characteristicUUID, PeripheralManager::passwordCharUUID}, service);
    });
    ASSERT_TRUE(this->waitForCount("characteristics", 1));
    EXPECT_FALSE(recorder.reports.back().error);
    ASSERT_TRUE(service->characteristics());
    std::vector<BluetoothUuid> found;
    const auto characteristics = service->characteristics();
    for (const CharacteristicRef& characteristic : *characteristics)
        found.push_back(characteristic->uuid());
    EXPECT_EQ(found, (std::vector<BluetoothUuid>{PeripheralManager::passwordCharUUID,
                                                 PeripheralManager::characteristicUUID}));
}

TYPED_TEST_P(CentralContract, EveryWriteWithResponseIsAnsweredOnceOnItsCharacteristicInOrder) {
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->ready(kDesk);
    ASSERT_TRUE(desk);
    const auto password = this->find(desk, PeripheralManager::passwordCharUUID);
    const auto data = this->find(desk, PeripheralManager::characteristicUUID);
    ASSERT_TRUE(password && data);

    // Three writes in flight, the first refused: each answer on its own characteristic, in order.
    this->call([&] {
        desk->writeValue(bytesOfText("nope"), password, WriteType::WithResponse);
        desk->writeValue({0x00}, data, WriteType::WithResponse);
        desk->writeValue(bytesOfText("hunter2"), password, WriteType::WithResponse);
    });
    ASSERT_TRUE(this->waitForCount("write", 3));
    ASSERT_TRUE(this->backend.settle());
    const auto writes = this->recorder.only("write");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].characteristic, password);
    ASSERT_TRUE(writes[0].error);
    EXPECT_FALSE(writes[0].error->description.empty());
    EXPECT_EQ(writes[1].characteristic, data);
    EXPECT_FALSE(writes[1].error);
    EXPECT_EQ(writes[2].characteristic, password);
    EXPECT_FALSE(writes[2].error);

    using ::testing::ElementsAre;
    EXPECT_THAT(this->backend.writesReceived(kDeskAddress, PeripheralManager::passwordCharUUID),
                ElementsAre(ContractWrite{bytesOfText("nope"), WriteType::WithResponse},
                            ContractWrite{bytesOfText("hunter2"), WriteType::WithResponse}));
    EXPECT_THAT(this->backend.writesReceived(kDeskAddress, PeripheralManager::characteristicUUID),
                ElementsAre(ContractWrite{{0x00}, WriteType::WithResponse}));
}

TYPED_TEST_P(CentralContract, AWriteWithoutResponseIsNeverAnsweredAndAReadIsAnsweredOnce) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->ready(kDesk);
    ASSERT_TRUE(desk);
    const auto data = this->find(desk, PeripheralManager::characteristicUUID);
    const auto name = this->find(desk, PeripheralManager::deviceNameUUID);
    ASSERT_TRUE(data && name);

    // A read is answered once, although bluetoothd announces the value it read as a change too.
    // The write with response after them is answered after both, so by then any stray report
    // would have come.
    this->call([&] {
        desk->writeValue(bytesOfText("Editor"), data, WriteType::WithoutResponse);
        desk->readValue(data);
    });
    ASSERT_TRUE(this->waitForCount("value", 1));
    EXPECT_EQ(data->value(), (std::optional<Bytes>{{0x00, 0x7F}}));
    EXPECT_FALSE(recorder.reports.back().error);
    this->call([&] { desk->writeValue({0x00}, data, WriteType::WithResponse); });
    ASSERT_TRUE(this->waitForCount("write", 1));
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(recorder.count("value"), 1u);
    EXPECT_EQ(recorder.count("write"), 1u);
    EXPECT_EQ(recorder.count("unsent"), 0u);
    EXPECT_THAT(
        this->backend.writesReceived(kDeskAddress, PeripheralManager::characteristicUUID),
        ::testing::ElementsAre(ContractWrite{bytesOfText("Editor"), WriteType::WithoutResponse},
                               ContractWrite{{0x00}, WriteType::WithResponse}));

    // The device's name reads as the device has it.
    this->call([&] { desk->readValue(name); });
    ASSERT_TRUE(this->waitForCount("value", 2));
    EXPECT_EQ(recorder.reports.back().characteristic, name);
    EXPECT_EQ(recorder.reports.back().value, std::optional<Bytes>(bytesOfText("Kitchen")));
}

TYPED_TEST_P(CentralContract, WritesWithoutResponseHoldTheLinkUntilTheStackAnswersThemAll) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->ready(kDesk);
    ASSERT_TRUE(desk);
    const auto data = this->find(desk, PeripheralManager::characteristicUUID);
    ASSERT_TRUE(data);

    EXPECT_TRUE(desk->canSendWriteWithoutResponse());
    this->call([&] {
        desk->writeValue({1}, data, WriteType::WithoutResponse);
        desk->writeValue({2}, data, WriteType::WithoutResponse);
    });
    EXPECT_FALSE(desk->canSendWriteWithoutResponse());
    // One ready report, once the last of the two is answered.
    ASSERT_TRUE(this->waitForCount("ready", 1));
    EXPECT_TRUE(desk->canSendWriteWithoutResponse());
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(recorder.count("ready"), 1u);
    EXPECT_EQ(recorder.reports.back().peripheral, desk);
    EXPECT_EQ(recorder.count("write"), 0u);
    EXPECT_THAT(this->backend.writesReceived(kDeskAddress, PeripheralManager::characteristicUUID),
                ::testing::ElementsAre(ContractWrite{{1}, WriteType::WithoutResponse},
                                       ContractWrite{{2}, WriteType::WithoutResponse}));
}

TYPED_TEST_P(CentralContract, NotificationsAreSwitchedOnAndThenDelivered) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->ready(kDesk);
    ASSERT_TRUE(desk);
    const auto data = this->find(desk, PeripheralManager::characteristicUUID);
    ASSERT_TRUE(data);
    EXPECT_FALSE(data->isNotifying());

    this->call([&] { desk->setNotifyValue(true, data); });
    ASSERT_TRUE(this->waitForCount("notify", 1));
    EXPECT_EQ(recorder.reports.back().characteristic, data);
    EXPECT_FALSE(recorder.reports.back().error);
    EXPECT_TRUE(data->isNotifying());

    this->backend.notify(kDeskAddress, PeripheralManager::characteristicUUID, {'B'});
    ASSERT_TRUE(this->waitForCount("value", 1));
    EXPECT_EQ(recorder.reports.back().characteristic, data);
    EXPECT_EQ(recorder.reports.back().value, (std::optional<Bytes>{{'B'}}));
    EXPECT_EQ(data->value(), (std::optional<Bytes>{{'B'}}));
}

TYPED_TEST_P(CentralContract, NoReportArrivesOnceTheCentralIsGoneAndItsLinksGoWithIt) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->ready(kDesk);
    ASSERT_TRUE(desk);
    const auto password = this->find(desk, PeripheralManager::passwordCharUUID);
    const auto name = this->find(desk, PeripheralManager::deviceNameUUID);
    ASSERT_TRUE(password && name);

    // Reports already queued, and answers still on their way, die with the central.
    ASSERT_TRUE(this->backend.settle());
    const std::size_t before = recorder.reports.size();
    this->call([&] {
        desk->setNotifyValue(true, password);
        desk->writeValue(bytesOfText("hunter2"), password, WriteType::WithResponse);
        desk->readValue(name);
        this->central->scanForPeripherals({});
    });
    this->central.reset();
    ASSERT_TRUE(this->backend.waitForLinkToEnd(kDeskAddress));
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(recorder.reports.size(), before);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);

    // Calls on a peripheral whose central is gone are harmless.
    desk->discoverServices({});
    ASSERT_TRUE(this->backend.settle());
    EXPECT_EQ(recorder.reports.size(), before);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);
}

TYPED_TEST_P(CentralContract, CancellingAConnectionReportsTheDisconnectionWithoutAnError) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->discovered(kDesk);
    ASSERT_TRUE(desk);

    // Cancelled while connecting: one disconnection report, and the link never stays up.
    this->call([&] {
        this->central->connect(desk);
        this->central->cancelConnection(desk);
    });
    ASSERT_TRUE(this->waitForCount("disconnect", 1));
    EXPECT_FALSE(recorder.reports.back().error);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);

    // Cancelled once up: the device hears the disconnection, and the report carries no error.
    this->central->connect(desk);
    ASSERT_TRUE(this->waitForCount("connect", 1));
    this->call([&] { this->central->cancelConnection(desk); });
    EXPECT_EQ(desk->state(), TypeParam::kStateRightAfterCancellingALink);
    ASSERT_TRUE(this->waitForCount("disconnect", 2));
    EXPECT_FALSE(recorder.reports.back().error);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);
}

TYPED_TEST_P(CentralContract, ALinkTheDeviceDropsIsReportedWithAnErrorAPersonCanRead) {
    auto& recorder = this->recorder;
    this->backend.addVontalDevice(kDesk);
    ASSERT_NO_FATAL_FAILURE(this->start());
    const PeripheralRef desk = this->connected(kDesk);
    ASSERT_TRUE(desk);

    this->backend.dropLink(kDeskAddress);
    ASSERT_TRUE(this->waitForCount("disconnect", 1));
    EXPECT_EQ(recorder.reports.back().peripheral, desk);
    ASSERT_TRUE(recorder.reports.back().error);
    EXPECT_FALSE(recorder.reports.back().error->description.empty());
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);
}

REGISTER_TYPED_TEST_SUITE_P(CentralContract, TheStateIsReportedOnceAndLaterThanTheCentralIsMade,
                            AScanReportsEachMatchingDeviceOncePerScanAsTheSameObject,
                            ServicesAndCharacteristicsAreAbsentUntilDiscoveredAndFollowTheFilter,
                            EveryWriteWithResponseIsAnsweredOnceOnItsCharacteristicInOrder,
                            AWriteWithoutResponseIsNeverAnsweredAndAReadIsAnsweredOnce,
                            WritesWithoutResponseHoldTheLinkUntilTheStackAnswersThemAll,
                            NotificationsAreSwitchedOnAndThenDelivered,
                            NoReportArrivesOnceTheCentralIsGoneAndItsLinksGoWithIt,
                            CancellingAConnectionReportsTheDisconnectionWithoutAnError,
                            ALinkTheDeviceDropsIsReportedWithAnErrorAPersonCanRead);

} // namespace vontal::contract
