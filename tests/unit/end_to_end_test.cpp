#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::ElementsAre;

using EndToEnd = ManagerTest;

// One device, from the radio's first report to forwarded names and keep-alives, as a user
// meets it: discovered, connected by hand, a mistyped password, the right one, then work.
TEST_F(EndToEnd, FromPowerOnThroughTheWrongAndRightPasswordToForwardedNamesAndKeepAlives) {
    SimDeviceSpec deviceSpec = vontalDevice(deviceId(1), "Vontal Pad", "1234", "Desk Pad");
    deviceSpec.answerDelay = milliseconds(20);
    deviceSpec.connectDelay = milliseconds(100);
    deviceSpec.services[0].characteristics[1].value = {0x01};
    // The device takes its time over its name.
    deviceSpec.services[0].characteristics[2].answerDelay = milliseconds(500);
    const BluetoothUuid pad = addDevice(deviceSpec);
    const std::string key = "00000000-0000-0000-0000-C0FFEE000001";
    sim.alerts.accept("0000");
    sim.alerts.accept("1234");

    // The radio reports powered on; the device is discovered and listed.
    make();
    run();
    advance(milliseconds(20));
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{pad});
    const PeripheralRef peripheral = manager->discoveredPeripherals().front();
    EXPECT_EQ(manager->displayName(peripheral), "Vontal Pad \u00B7 0001");

    // The user connects it; with no stored password the user is asked, types a wrong one, is
    // told so, and types the right one.
    manager->connect(peripheral);
    advance(milliseconds(980));
    ASSERT_EQ(sim.alerts.requests().size(), 2u);
    EXPECT_EQ(sim.alerts.requests()[0].messageText, "Enter password for Vontal Pad");
    EXPECT_THAT(sim.alerts.requests()[0].buttons, ElementsAre("OK", "Cancel"));
    EXPECT_EQ(sim.alerts.requests()[1].messageText, "Incorrect password for Vontal Pad");
    EXPECT_THAT(sim.alerts.requests()[1].buttons, ElementsAre("Retry", "Cancel"));

    // Each password was stored before it was written; the custom name a moment later.
    const auto& changes = sim.defaults.changes();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].key, key);
    EXPECT_EQ(changes[0].value, DefaultsValue(std::string("0000")));
    EXPECT_EQ(changes[1].key, key);
    EXPECT_EQ(changes[1].value, DefaultsValue(std::string("1234")));
    EXPECT_EQ(manager->deviceNames().at(pad), "Desk Pad");
    EXPECT_EQ(manager->displayName(peripheral), "Desk Pad");
    EXPECT_EQ(manager->connectedPeripherals(), std::vector<PeripheralRef>{peripheral});
    EXPECT_TRUE(manager->discoveredPeripherals().empty());
    EXPECT_TRUE(sim.bluetooth.isUnlocked(pad));

    // Work: two applications come to the front.
    sim.workspace.activate("Editor");
    sim.workspace.activate("Caf\u00E9");
    advance(milliseconds(15'000 - 1'000 - 1));
    const Bytes editor{0x45, 0x64, 0x69, 0x74, 0x6F, 0x72};
    const Bytes cafe{0x43, 0x61, 0x66, 0xC3, 0xA9};
    EXPECT_THAT(dataWrites(pad), ElementsAre(editor, cafe));
    advance(milliseconds(1)); // 15 s after the powered-on report
    EXPECT_THAT(dataWrites(pad), ElementsAre(editor, cafe, Bytes{0x00}));
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[2].key, "vontal.deviceNames");
    EXPECT_EQ(changes[2].value, DefaultsValue(DefaultsDictionary{{key, std::string("Desk Pad")}}));
    advance(seconds(30));
    EXPECT_EQ(sim.clock.now(), seconds(45));

    using W = SimWrite;
    const BluetoothUuid& password = PeripheralManager::passwordCharUUID;
    const BluetoothUuid& data = PeripheralManager::characteristicUUID;
    EXPECT_THAT(sim.bluetooth.writes(pad),
                ElementsAre(W{password, bytesOf("0000"), WriteType::WithResponse},
                            W{password, bytesOf("1234"), WriteType::WithResponse},
                            W{data, {0x00}, WriteType::WithResponse},
                            W{data, editor, WriteType::WithoutResponse},
                            W{data, cafe, WriteType::WithoutResponse},
                            W{data, {0x00}, WriteType::WithoutResponse},
                            W{data, {0x00}, WriteType::WithoutResponse},
                            W{data, {0x00}, WriteType::WithoutResponse}));
    // The pairing step went to the data characteristic: a read, the byte, notifications.
    std::vector<SimRequest::Kind> onData;
    for (const SimRequest& request : sim.bluetooth.requestsFor(pad))
        if (request.characteristic == data && request.writeType == WriteType::WithResponse)
            onData.push_back(request.kind);
    EXPECT_THAT(onData, ElementsAre(SimRequest::Kind::ReadValue, SimRequest::Kind::WriteValue,
                                    SimRequest::Kind::SetNotifyValue));

    EXPECT_THAT(sim.diagnostics.lines(),
                ElementsAre("Bluetooth powered ON \u2014 restarting scan and reconnect",
                            "Password write failed: Authentication is insufficient.",
                            "Password accepted \u2013 proceeding with data characteristic",
                            "Bonding read response bytes: [1]",
                            "Write for pairing succeeded (pairing prompt should appear)",
                            "Notification state updated; isNotifying: true",
                            "Custom device name from peripheral: Desk Pad"));
}

} // namespace
} // namespace vontal
