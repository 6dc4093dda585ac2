#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Forwarding : public TwoConnectedDevicesTest {
protected:
    // The writes the last activation caused, as (device, bytes), in the order asked.
    std::vector<std::pair<BluetoothUuid, Bytes>> activate(std::optional<std::string> name) {
        const std::size_t before = recordSize();
        sim.workspace.activate(std::move(name));
        std::vector<std::pair<BluetoothUuid, Bytes>> writes;
        for (const SimRequest& request : requestsSince(before)) {
            EXPECT_EQ(request.kind, SimRequest::Kind::WriteValue);
            EXPECT_EQ(request.writeType, WriteType::WithoutResponse);
            EXPECT_EQ(request.characteristic, PeripheralManager::characteristicUUID);
            EXPECT_TRUE(request.delivered()) << request;
            writes.emplace_back(*request.device, request.value);
        }
        return writes;
    }
};

TEST_F(Forwarding, NamesGoAsExactUtf8BytesToEveryConnectedDeviceInListOrder) {
    const Bytes editor{0x45, 0x64, 0x69, 0x74, 0x6F, 0x72};
    const Bytes cafe{0x43, 0x61, 0x66, 0xC3, 0xA9};
    EXPECT_THAT(activate("Editor"), ElementsAre(std::pair{a, editor}, std::pair{b, editor}));
    EXPECT_THAT(activate("Caf\u00E9"), ElementsAre(std::pair{a, cafe}, std::pair{b, cafe}));
    EXPECT_THAT(activate(""), ElementsAre(std::pair{a, Bytes{}}, std::pair{b, Bytes{}}));
    // The same application again: sent again.
    EXPECT_EQ(activate("Editor").size(), 2u);
    // Long names go whole; nothing is cut to fit a packet.
    const std::string longName(600, 'x');
    EXPECT_THAT(activate(longName),
                ElementsAre(std::pair{a, bytesOf(longName)}, std::pair{b, bytesOf(longName)}));
}

TEST_F(Forwarding, NotificationsWithoutAUsableNameAreIgnored) {
    Notification noUserInfo;
    Notification noApplication{kDidActivateApplicationNotification, UserInfo{}};
    Notification notAnApplication{kDidActivateApplicationNotification,
                                  UserInfo{{kWorkspaceApplicationKey, std::string("Editor")}}};
    Notification nullApplication{
        kDidActivateApplicationNotification,
        UserInfo{{kWorkspaceApplicationKey, std::shared_ptr<RunningApplication>()}}};
    const std::size_t before = recordSize();
    for (const Notification& n : {noUserInfo, noApplication, notAnApplication, nullApplication,
                                  Notification::activation(std::nullopt)})
        sim.workspace.post(n);
    // Text that is not UTF-8 cannot be encoded without loss.
    sim.workspace.activate(std::string("\xFF\xFE"));
    EXPECT_THAT(requestsSince(before), IsEmpty());
    EXPECT_THAT(sim.diagnostics.lines(), ::testing::Not(::testing::Contains("Editor")));
}

TEST_F(Forwarding, NothingIsWrittenWithoutConnectedDevices) {
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_THAT(activate("Editor"), IsEmpty());
}

TEST_F(Forwarding, DevicesNotReadyAreSkippedWithoutAnyLine) {
    // C: listed but its link never comes up.
    SimDeviceSpec far = makeDeviceSpec(3);
    far.inRange = false;
    const BluetoothUuid c = addDevice(far);
    // D: service discovery failed, so it has no services.
    const BluetoothUuid d = addKnownDevice(4);
    sim.bluetooth.failNext(d, SimOperation::DiscoverServices, {{"Unlikely error."}, false});
    // E: its custom service has no data characteristic.
    SimDeviceSpec noData = makeDeviceSpec(5);
    noData.services[0].characteristics.erase(noData.services[0].characteristics.begin() + 1);
    const BluetoothUuid e = addDevice(noData);
    storePassword(e, "pw-5");
    // F: characteristic discovery failed.
    const BluetoothUuid f = addKnownDevice(6);
    sim.bluetooth.failNext(f, SimOperation::DiscoverCharacteristics, {{"Unlikely error."}, false});
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    manager->connect(handle(c));
    run();
    ASSERT_EQ(connectedIds(), (std::vector<BluetoothUuid>{a, b, d, e, f, c}));
    ASSERT_EQ(handle(c)->state(), PeripheralState::Connecting);
    takeLines();

    const Bytes editor = bytesOf("Editor");
    EXPECT_THAT(activate("Editor"), ElementsAre(std::pair{a, editor}, std::pair{b, editor}));
    EXPECT_THAT(takeLines(), IsEmpty());
}

TEST_F(Forwarding, OneWritePerListedCustomServiceToItsFirstDataCharacteristic) {
    SimDeviceSpec twice = makeDeviceSpec(3);
    SimServiceSpec second{PeripheralManager::serviceUUID,
                          {{PeripheralManager::characteristicUUID, {}}}};
    twice.services[0].characteristics.insert(twice.services[0].characteristics.begin() + 2,
                                             {PeripheralManager::characteristicUUID, {}});
    twice.services.push_back(second);
    const BluetoothUuid c = addDevice(twice);
    storePassword(c, "pw-3");
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    // The handshake looks only at the first custom service; discover the second one's
    // characteristics as another client of the stack would.
    const PeripheralRef peripheral = handle(c);
    const auto services = peripheral->services();
    ASSERT_TRUE(services && services->size() == 2u);
    peripheral->discoverCharacteristics({PeripheralManager::characteristicUUID}, services->back());
    run();

    const std::size_t before = recordSize();
    sim.workspace.activate("Editor");
    std::vector<std::pair<int, int>> targets;
    for (const SimRequest& request : requestsSince(before))
        if (request.device == c)
            targets.emplace_back(request.serviceIndex, request.characteristicIndex);
    EXPECT_THAT(targets, ElementsAre(std::pair{0, 1}, std::pair{1, 0}));
}

TEST_F(Forwarding, ADeviceConnectedAfterAnActivationWaitsForTheNextOne) {
    const BluetoothUuid c = addKnownDevice(3);
    activate("Editor");
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    ASSERT_EQ(connectedIds().back(), c);
    EXPECT_THAT(dataWrites(c), IsEmpty());
    activate("Mail");
    EXPECT_THAT(dataWrites(c), ElementsAre(bytesOf("Mail")));
}

TEST_F(Forwarding, WritesDoNotWaitForTheDeviceToAcceptItsPassword) {
    SimDeviceSpec stubborn = makeDeviceSpec(3);
    stubborn.password = "something else";
    const BluetoothUuid c = addDevice(stubborn);
    storePassword(c, "pw-3");
    std::vector<std::pair<BluetoothUuid, Bytes>> duringAlert;
    sim.alerts.cancel([&] {
        duringAlert = activate("Editor");
        sim.bluetooth.setAdvertising(c, false);
    });
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(sim.alerts.requests()[0].messageText, "Incorrect password for Device 3");
    const Bytes editor = bytesOf("Editor");
    EXPECT_THAT(duringAlert,
                ElementsAre(std::pair{a, editor}, std::pair{b, editor}, std::pair{c, editor}));
}

} // namespace
} // namespace vontal
