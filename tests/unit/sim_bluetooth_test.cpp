#include "devicelink/peripheral_manager.h"
#include "platform/sim/sim_bluetooth_stack.h"
#include "platform/sim/vontal_device.h"
#include "tests/support/sim/virtual_clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const BluetoothUuid& kService = PeripheralManager::serviceUUID;
const BluetoothUuid& kData = PeripheralManager::characteristicUUID;
const BluetoothUuid& kName = PeripheralManager::deviceNameUUID;
const BluetoothUuid& kPassword = PeripheralManager::passwordCharUUID;

std::string suffix(const PeripheralRef& peripheral) {
    return peripheral->identifier().toString().substr(32);
}

std::string describe(const std::optional<Error>& error) {
    return error ? " error=" + error->description : "";
}

// Both delegates, writing every callback down as a line. A callback that arrives while the
// test is inside a call to the stack (`calling`) is a broken promise of the stack.
class Recorder final : public CentralDelegate, public PeripheralDelegate {
public:
    std::vector<std::string> events;
    std::map<std::string, PeripheralRef> seen;
    bool calling = false;
    int synchronous = 0;

    void note(std::string event) {
        if (calling)
            ++synchronous;
        events.push_back(std::move(event));
    }
    std::vector<std::string> take() { return std::exchange(events, {}); }

    void centralManagerDidUpdateState(Central& central) override {
        note("state " + std::to_string(static_cast<int>(central.state())));
    }
    void didDiscoverPeripheral(Central&, const PeripheralRef& peripheral,
                               const AdvertisementData& advertisement, int) override {
        seen[suffix(peripheral)] = peripheral;
        note("discover " + suffix(peripheral) + " " + advertisement.localName.value_or("-"));
    }
    void didConnectPeripheral(Central&, const PeripheralRef& peripheral) override {
        note("connect " + suffix(peripheral));
    }
    void didDisconnectPeripheral(Central&, const PeripheralRef& peripheral,
                                 const std::optional<Error>& error) override {
        note("disconnect " + suffix(peripheral) + describe(error));
    }
    void didDiscoverServices(const PeripheralRef& peripheral,
                             const std::optional<Error>& error) override {
        note("services " + suffix(peripheral) + describe(error));
    }
    void didDiscoverCharacteristics(const PeripheralRef& peripheral, const ServiceRef&,
                                    const std::optional<Error>& error) override {
        note("characteristics " + suffix(peripheral) + describe(error));
    }
    void didUpdateValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                        const std::optional<Error>& error) override {
        const auto value = characteristic->value();
        note("value " + suffix(peripheral) + " " +
             (value ? std::string(value->begin(), value->end()) : "<none>") + describe(error));
    }
    void didWriteValue(const PeripheralRef& peripheral, const CharacteristicRef&,
                       const std::optional<Error>& error) override {
        note("written " + suffix(peripheral) + describe(error));
    }
    void didUpdateNotificationState(const PeripheralRef& peripheral,
                                    const CharacteristicRef& characteristic,
                                    const std::optional<Error>& error) override {
        note("notifying " + suffix(peripheral) + (characteristic->isNotifying() ? " on" : " off") +
             describe(error));
    }
    void didFailWriteWithoutResponse(const PeripheralRef& peripheral, const CharacteristicRef&,
                                     const Error& error) override {
        note("unsent " + suffix(peripheral) + describe(error));
    }
    void peripheralIsReadyToSendWriteWithoutResponse(const PeripheralRef& peripheral) override {
        note("ready " + suffix(peripheral));
    }
};

class SimBluetoothTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SimBluetoothStack stack{clock, clock};
    Recorder recorder;
    std::unique_ptr<Central> central;

    const BluetoothUuid one = identifierForAddress(0xC0FFEE000001);
    const BluetoothUuid two = identifierForAddress(0xC0FFEE000002);

    void SetUp() override {
        stack.addDevice(vontalDevice(one, "One", "secret", "Custom One"));
        stack.addDevice(vontalDevice(two, "Two", std::nullopt));
        central = stack.makeCentral(recorder);
    }
    void TearDown() override { EXPECT_EQ(recorder.synchronous, 0); }

    // Calls into the stack, noting any callback that arrives before the call returns.
    template <typename F> void call(F&& f) {
        recorder.calling = true;
        f();
        recorder.calling = false;
    }

    PeripheralRef connected(const BluetoothUuid& id) {
        PeripheralRef peripheral = stack.retrievePeripheral(*central, id);
        peripheral->setDelegate(&recorder);
        call([&] { central->connect(peripheral); });
        clock.runUntilIdle();
        return peripheral;
    }

    // Connects and discovers everything.
    PeripheralRef ready(const BluetoothUuid& id) {
        PeripheralRef peripheral = connected(id);
        call([&] { peripheral->discoverServices({}); });
        clock.runUntilIdle();
        const auto services = peripheral->services();
        for (const ServiceRef& service : *services)
            call([&] { peripheral->discoverCharacteristics({}, service); });
        clock.runUntilIdle();
        recorder.events.clear();
        return peripheral;
    }

    CharacteristicRef find(const PeripheralRef& peripheral, const BluetoothUuid& uuid) {
        for (const ServiceRef& service : peripheral->services().value_or(std::vector<ServiceRef>{}))
            for (const CharacteristicRef& c :
                 service->characteristics().value_or(std::vector<CharacteristicRef>{}))
                if (c->uuid() == uuid)
                    return c;
        return nullptr;
    }
};

// What every backend keeps is checked on this stack by the central contract; here is what only
// the simulator can be told to do.

TEST_F(SimBluetoothTest, EveryRadioChangeIsReportedLater) {
    clock.runUntilIdle();
    recorder.events.clear();

    stack.setRadioState(CentralState::Unauthorized);
    stack.setRadioState(CentralState::PoweredOn);
    EXPECT_THAT(recorder.events, IsEmpty());
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("state 3", "state 5"));
}

// Qt Bluetooth still delivers the devices it knew when a scan stops at once.
TEST_F(SimBluetoothTest, StopScanDropsReportsNotYetDelivered) {
    clock.runUntilIdle();
    recorder.events.clear();
    call([&] {
        central->scanForPeripherals({});
        central->stopScan();
    });
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), IsEmpty());
    call([&] { central->scanForPeripherals({}); });
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("discover 0001 One", "discover 0002 Two"));
}

TEST_F(SimBluetoothTest, ServicesAndCharacteristicsAreAbsentUntilDiscoveredAndFollowTheFilter) {
    SimDeviceSpec layout = vontalDevice(identifierForAddress(0xC0FFEE000003), "Dup", std::nullopt);
    layout.services.push_back(layout.services.front()); // the custom service twice
    layout.services.insert(
        layout.services.begin(),
        {BluetoothUuid::fromString("180F"), {{BluetoothUuid::fromString("2A19"), Bytes{0x64}}}});
    layout.services[1].characteristics.push_back({kData, {}}); // data twice in the first
    stack.addDevice(layout);
    clock.runUntilIdle();
    recorder.events.clear();

    const PeripheralRef peripheral = connected(layout.identifier);
    EXPECT_THAT(recorder.take(), ElementsAre("connect 0003"));
    EXPECT_EQ(peripheral->state(), PeripheralState::Connected);
    EXPECT_FALSE(peripheral->services());

    call([&] { peripheral->discoverServices({kService}); });
    clock.runUntilIdle();
    ASSERT_TRUE(peripheral->services());
    ASSERT_EQ(peripheral->services()->size(), 2u);
    const ServiceRef service = peripheral->services()->front();
    EXPECT_EQ(service->uuid(), kService);
    EXPECT_FALSE(service->characteristics());

    call([&] { peripheral->discoverCharacteristics({kName, kData}, service); });
    clock.runUntilIdle();
    ASSERT_TRUE(service->characteristics());
    std::vector<BluetoothUuid> found;
    const auto characteristics = service->characteristics();
    for (const CharacteristicRef& c : *characteristics)
        found.push_back(c->uuid());
    // Layout order, duplicates kept, the password characteristic filtered out.
    EXPECT_EQ(found, (std::vector<BluetoothUuid>{kData, kName, kData}));
    EXPECT_FALSE(peripheral->services()->back()->characteristics());
}

TEST_F(SimBluetoothTest, PasswordWritesAreCheckedAndWritesWithoutResponseOnlyFreeTheLink) {
    const PeripheralRef peripheral = ready(one);
    const CharacteristicRef password = find(peripheral, kPassword);
    const CharacteristicRef data = find(peripheral, kData);
    stack.refusePasswordWrites(one, 1);

    const auto bytes = [](std::string text) {
        return Bytes(text.begin(), text.end());
    };
    call([&] {
        peripheral->writeValue(bytes("secret"), password, WriteType::WithResponse); // refused
        peripheral->writeValue(bytes("wrong"), password, WriteType::WithResponse);
        peripheral->writeValue(bytes("hello"), data, WriteType::WithoutResponse);
        peripheral->writeValue(bytes("secret"), password, WriteType::WithResponse);
    });
    EXPECT_FALSE(stack.isUnlocked(one));
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("written 0001 error=Authentication is insufficient.",
                                             "written 0001 error=Authentication is insufficient.",
                                             "ready 0001", "written 0001"));
    EXPECT_TRUE(stack.isUnlocked(one));
    EXPECT_THAT(stack.writes(one),
                ElementsAre(SimWrite{kPassword, bytes("secret"), WriteType::WithResponse},
                            SimWrite{kPassword, bytes("wrong"), WriteType::WithResponse},
                            SimWrite{kData, bytes("hello"), WriteType::WithoutResponse},
                            SimWrite{kPassword, bytes("secret"), WriteType::WithResponse}));
    EXPECT_THAT(stack.writesTo(one, kData, WriteType::WithoutResponse),
                ElementsAre(bytes("hello")));
    EXPECT_THAT(stack.writes(two), IsEmpty());
}

TEST_F(SimBluetoothTest, WritesWithoutResponseHoldTheLinkUntilTheStackAnswersThemAll) {
    const PeripheralRef peripheral = ready(one);
    const CharacteristicRef data = find(peripheral, kData);
    stack.setWriteWithoutResponseDelay(one, std::chrono::milliseconds(50));
    EXPECT_TRUE(peripheral->canSendWriteWithoutResponse());
    call([&] {
        peripheral->writeValue(Bytes{1}, data, WriteType::WithoutResponse);
        peripheral->writeValue(Bytes{2}, data, WriteType::WithoutResponse);
    });
    EXPECT_FALSE(peripheral->canSendWriteWithoutResponse());
    clock.advance(std::chrono::milliseconds(49));
    EXPECT_THAT(recorder.take(), IsEmpty());
    EXPECT_FALSE(peripheral->canSendWriteWithoutResponse());
    clock.advance(std::chrono::milliseconds(1));
    // One ready report, once the last of the two is answered.
    EXPECT_THAT(recorder.take(), ElementsAre("ready 0001"));
    EXPECT_TRUE(peripheral->canSendWriteWithoutResponse());
    std::vector<int> inFlight;
    for (const SimRequest& request : stack.requestsFor(one))
        if (request.kind == SimRequest::Kind::WriteValue)
            inFlight.push_back(request.inFlight);
    EXPECT_THAT(inFlight, ElementsAre(1, 2));
    EXPECT_EQ(stack.writeLoad(one).writes, 2u);
    EXPECT_EQ(stack.writeLoad(one).mostInFlight, 2);

    // A link that ends takes its unanswered writes with it: no answer, nothing held on the next.
    call([&] { peripheral->writeValue(Bytes{3}, data, WriteType::WithoutResponse); });
    stack.loseLink(one);
    clock.advance(std::chrono::milliseconds(100));
    EXPECT_THAT(recorder.take(), ElementsAre(StartsWith("disconnect 0001")));
    EXPECT_TRUE(peripheral->canSendWriteWithoutResponse());
}

TEST_F(SimBluetoothTest, HandlesOfAnotherDeviceOrAnEarlierLinkAreRecordedButNeverDelivered) {
    const PeripheralRef first = ready(one);
    const PeripheralRef second = ready(two);
    const CharacteristicRef secondData = find(second, kData);
    const CharacteristicRef firstData = find(first, kData);

    call([&] { first->writeValue(Bytes{1}, secondData, WriteType::WithResponse); });
    stack.loseLink(one);
    clock.runUntilIdle();
    ready(one);
    call([&] { first->readValue(firstData); }); // from the link that was lost
    clock.runUntilIdle();

    EXPECT_THAT(recorder.take(), IsEmpty());
    EXPECT_THAT(stack.writes(one), IsEmpty());
    EXPECT_THAT(stack.writes(two), IsEmpty());
    std::vector<SimRequest> foreign;
    for (const SimRequest& request : stack.requests())
        if (!request.validHandle)
            foreign.push_back(request);
    ASSERT_EQ(foreign.size(), 2u);
    EXPECT_EQ(foreign[0].kind, SimRequest::Kind::WriteValue);
    EXPECT_EQ(foreign[0].device, one);
    EXPECT_EQ(foreign[1].kind, SimRequest::Kind::ReadValue);
}

TEST_F(SimBluetoothTest, PoweringOffEndsLinksWithoutDisconnectionCallbacks) {
    const PeripheralRef peripheral = ready(one);
    stack.setRadioState(CentralState::PoweredOff);
    EXPECT_EQ(peripheral->state(), PeripheralState::Disconnected);
    EXPECT_FALSE(peripheral->services());
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("state 4"));

    // Nothing starts while the radio is off.
    call([&] {
        central->connect(peripheral);
        central->scanForPeripherals({kService});
    });
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), IsEmpty());
    EXPECT_EQ(peripheral->state(), PeripheralState::Disconnected);
}

TEST_F(SimBluetoothTest, LinkLossDropsAnswersStillOnTheWayAndReportsTheError) {
    const PeripheralRef peripheral = ready(one);
    stack.setAnswerDelay(one, milliseconds(50));
    call([&] { peripheral->readValue(find(peripheral, kName)); });
    clock.advance(milliseconds(10));
    stack.loseLink(one);
    clock.advance(milliseconds(100));
    EXPECT_THAT(recorder.take(),
                ElementsAre("disconnect 0001 error=The connection has timed out unexpectedly."));
}

TEST_F(SimBluetoothTest, ConnectionWaitsForTheDeviceToComeIntoRangeAndCancelEndsIt) {
    stack.setInRange(one, false);
    clock.runUntilIdle();
    recorder.events.clear();
    const PeripheralRef peripheral = connected(one);
    clock.advance(std::chrono::hours(1));
    EXPECT_EQ(peripheral->state(), PeripheralState::Connecting);
    EXPECT_THAT(recorder.take(), IsEmpty());

    stack.setInRange(one, true);
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("connect 0001"));

    call([&] { central->cancelConnection(peripheral); });
    EXPECT_EQ(peripheral->state(), PeripheralState::Disconnected);
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("disconnect 0001"));
}

TEST_F(SimBluetoothTest, InjectedFaultsCarryTheirErrorAndMayKeepTheResult) {
    stack.failNext(one, SimOperation::DiscoverServices, {{"Services failed"}, true});
    stack.failNext(one, SimOperation::ReadValue, {{"Read failed"}, false}, kName);
    stack.failNext(one, SimOperation::SetNotifyValue, {{"Notify failed"}, false});
    clock.runUntilIdle();
    recorder.events.clear();
    const PeripheralRef peripheral = connected(one);
    call([&] { peripheral->discoverServices({}); });
    clock.runUntilIdle();
    ASSERT_TRUE(peripheral->services());
    call([&] { peripheral->discoverCharacteristics({}, peripheral->services()->front()); });
    clock.runUntilIdle();
    const CharacteristicRef name = find(peripheral, kName);
    call([&] {
        peripheral->readValue(name);
        peripheral->readValue(name);
        peripheral->setNotifyValue(true, name);
        peripheral->setNotifyValue(true, name);
    });
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(),
                ElementsAre("connect 0001", "services 0001 error=Services failed",
                            "characteristics 0001", "value 0001 <none> error=Read failed",
                            "value 0001 Custom One", "notifying 0001 off error=Notify failed",
                            "notifying 0001 on"));
}

TEST_F(SimBluetoothTest, NotificationsReachOnlySubscribedCharacteristicsUnlessForced) {
    const PeripheralRef peripheral = ready(one);
    stack.notify(one, kName, Bytes{'A'});
    stack.notify(one, kPassword, Bytes{'P'}, true);
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("value 0001 P"));

    call([&] { peripheral->setNotifyValue(true, find(peripheral, kName)); });
    clock.runUntilIdle();
    stack.notify(one, kName, Bytes{'B'});
    clock.runUntilIdle();
    EXPECT_THAT(recorder.take(), ElementsAre("notifying 0001 on", "value 0001 B"));
}

TEST_F(SimBluetoothTest, NoCallbackArrivesAfterTheCentralIsDestroyedWithTheRadioOff) {
    const PeripheralRef peripheral = ready(one);
    stack.setAnswerDelay(one, milliseconds(5));
    call([&] {
        peripheral->readValue(find(peripheral, kName));
        central->scanForPeripherals({});
        central->cancelConnection(peripheral);
    });
    stack.setRadioState(CentralState::PoweredOff);
    central.reset();
    clock.advance(milliseconds(100));
    EXPECT_THAT(recorder.events, IsEmpty());
    EXPECT_EQ(peripheral->state(), PeripheralState::Disconnected);
}

TEST_F(SimBluetoothTest, RecordNamesEveryRequestInOrderWithItsCentral) {
    clock.runUntilIdle();
    call([&] {
        central->stopScan();
        central->scanForPeripherals({kService});
    });
    clock.runUntilIdle();
    const PeripheralRef peripheral = recorder.seen["0002"];
    peripheral->setDelegate(&recorder);
    call([&] { central->connect(peripheral); });
    clock.runUntilIdle();
    call([&] { peripheral->discoverServices({kService}); });
    clock.runUntilIdle();

    std::vector<SimRequest::Kind> kinds;
    for (const SimRequest& request : stack.requests()) {
        kinds.push_back(request.kind);
        EXPECT_EQ(request.central, 1);
    }
    EXPECT_THAT(kinds, ElementsAre(SimRequest::Kind::StopScan, SimRequest::Kind::Scan,
                                   SimRequest::Kind::Connect, SimRequest::Kind::DiscoverServices));
    EXPECT_EQ(stack.requests()[1].uuids, std::vector<BluetoothUuid>{kService});
    EXPECT_EQ(stack.requestsFor(two).size(), 2u);
    EXPECT_EQ(stack.requestsOf(SimRequest::Kind::Scan).size(), 1u);
}

} // namespace
} // namespace vontal
