#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using std::chrono::hours;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = SimRequest::Kind;

using Discovery = ManagerTest;

TEST_F(Discovery, AnUnknownDeviceIsListedOnceHoweverOftenItIsReported) {
    const BluetoothUuid id = addDevice(1);
    start();
    const PeripheralRef first = discovered(id);
    const int told = willChange;
    // Each powered-on report starts a new scan, which reports the device again.
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_EQ(manager->discoveredPeripherals(), std::vector<PeripheralRef>{first});
    EXPECT_EQ(willChange, told) << "an ignored report changes nothing";
    EXPECT_EQ(count(Kind::Connect, id), 0u);
}

TEST_F(Discovery, AKnownDeviceIsNeverListedUnderDiscoveredAndShowsUnderConnectedOnceItsLinkIsUp) {
    SimDeviceSpec slow = makeDeviceSpec(1);
    slow.connectDelay = seconds(2);
    const BluetoothUuid id = addDevice(slow);
    storePassword(id, "pw-1");
    make();
    run();
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(count(Kind::Connect, id), 1u);

    advance(seconds(2));
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
}

TEST_F(Discovery, AnEmptyStoredPasswordStillMakesADeviceKnown) {
    const BluetoothUuid id = addDevice(1);
    sim.bluetooth.setPassword(id, "");
    storePassword(id, "");
    start();
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
}

TEST_F(Discovery, AKnownDeviceReportedAgainWhilePendingGetsASecondEntryAndConnectRequest) {
    SimDeviceSpec slow = makeDeviceSpec(1);
    slow.connectDelay = seconds(10);
    const BluetoothUuid id = addDevice(slow);
    storePassword(id, "pw-1");
    start();
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_EQ(pendingIds(), (std::vector<BluetoothUuid>{id, id}));
    EXPECT_EQ(count(Kind::Connect, id), 2u);

    advance(seconds(10));
    EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{id}) << "the connected report removes one";
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
}

TEST_F(Discovery, ConnectMovesTheRowAndConnectsWithoutLookingAtPasswords) {
    const BluetoothUuid one = addDevice(1);
    const BluetoothUuid two = addDevice(2);
    start();
    ASSERT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{one, two}));
    sim.bluetooth.setConnectDelay(one, seconds(1));
    const PeripheralRef peripheral = discovered(one);
    const int told = willChange;

    manager->connect(peripheral);
    // At once, before the link is up: the row moves from Discovered to Connected.
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{two});
    EXPECT_EQ(manager->connectedPeripherals(), std::vector<PeripheralRef>{peripheral});
    EXPECT_GT(willChange, told);
    EXPECT_EQ(count(Kind::Connect, one), 1u);
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    EXPECT_EQ(peripheral->state(), PeripheralState::Connecting);

    sim.alerts.cancel([] {});
    advance(seconds(1));
    EXPECT_EQ(sim.alerts.requests().size(), 1u) << "the prompt comes once the link is up";
}

TEST_F(Discovery, ConnectOnAPeripheralInNeitherListAppendsAndConnects) {
    SimDeviceSpec hidden = makeDeviceSpec(1);
    hidden.advertising = false;
    const BluetoothUuid id = addDevice(hidden);
    start();
    manager->connect(handle(id));
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(count(Kind::Connect, id), 1u);
}

TEST_F(Discovery, ConnectingARowWhoseLinkIsDownAddsASecondEntryAndOneDisconnectionRemovesBoth) {
    const BluetoothUuid id = addDevice(1);
    start();
    sim.bluetooth.setInRange(id, false);
    const PeripheralRef peripheral = discovered(id);
    manager->connect(peripheral);
    manager->connect(peripheral); // the button of the "Connected" row, link still down
    EXPECT_EQ(connectedIds(), (std::vector<BluetoothUuid>{id, id}));

    sim.alerts.cancel();
    sim.bluetooth.setAdvertising(id, true);
    sim.bluetooth.setInRange(id, true);
    run();
    // The link came up (both entries stay), then the alert's Cancel dropped it.
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
}

TEST_F(Discovery, ALostLinkIsRestoredWithoutTheUserAndDisconnectForgetsThePassword) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    ASSERT_TRUE(sim.bluetooth.isUnlocked(id));
    const std::string name = manager->deviceNames().at(id);

    // The device goes away for a while.
    sim.bluetooth.setAdvertising(id, false);
    const std::size_t before = recordSize();
    sim.bluetooth.loseLink(id);
    run();
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    const auto afterLoss = requestsSince(before);
    ASSERT_EQ(afterLoss.size(), 1u);
    EXPECT_EQ(afterLoss[0].kind, Kind::Scan) << "the scan restarts after every disconnection";
    EXPECT_EQ(afterLoss[0].uuids, std::vector<BluetoothUuid>{PeripheralManager::serviceUUID});

    // It comes back: connected and unlocked again, no alert.
    advance(hours(1));
    sim.bluetooth.setAdvertising(id, true);
    run();
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());

    // The user disconnects it: the password goes, the name stays, and it is listed again.
    manager->disconnect(manager->connectedPeripherals().front());
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_FALSE(storedPassword(id));
    EXPECT_EQ(count(Kind::CancelConnection, id), 1u);
    run();
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(manager->deviceNames().at(id), name);
    EXPECT_EQ(count(Kind::Connect, id), 2u) << "no longer connected without the user";

    // Connecting it again asks for the password.
    sim.alerts.accept("pw-1");
    manager->connect(discovered(id));
    run();
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(sim.alerts.requests()[0].messageText, "Enter password for Device 1");
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
}

TEST_F(Discovery, DisconnectionsTouchNeitherPendingNorDiscovered) {
    SimDeviceSpec slow = makeDeviceSpec(2);
    slow.connectDelay = hours(1);
    const BluetoothUuid pending = addDevice(slow);
    storePassword(pending, "pw-2");
    const BluetoothUuid id = addKnownDevice(1);
    start();
    ASSERT_EQ(pendingIds(), std::vector<BluetoothUuid>{pending});
    // Neither device advertises now, so the restarted scan reports nothing.
    sim.bluetooth.setAdvertising(pending, false);
    sim.bluetooth.setAdvertising(id, false);
    sim.bluetooth.loseLink(id);
    run();
    EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{pending});
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
}

TEST_F(Discovery, ReportsOfListedOrIgnoredPeripheralsChangeNothing) {
    SimDeviceSpec chatty = makeDeviceSpec(1);
    chatty.advertisesWhileConnected = true;
    const BluetoothUuid id = addDevice(chatty);
    storePassword(id, "pw-1");
    start();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    // Still advertising while connected: the next scan's report is dropped by the handle check.
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_EQ(count(Kind::Connect, id), 1u);
    EXPECT_THAT(manager->ignoreAutoReconnect(), IsEmpty());
}

TEST_F(Discovery, AKnownDeviceWhoseStoredPasswordIsRejectedStaysListedAfterCancel) {
    const BluetoothUuid id = addDevice(1);
    storePassword(id, "stale");
    sim.alerts.cancel([&] { sim.bluetooth.setAdvertising(id, false); });
    start();
    // Refused, alert, Cancel, link dropped: listed under "Discovered" although no scan reports
    // it any more, and not connected again without the user.
    advance(seconds(120));
    EXPECT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(count(Kind::Connect, id), 1u);
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(storedPassword(id), "stale");

    // Its "Connect" brings it back; once unlocked, the user's Disconnect forgets it as usual.
    sim.bluetooth.setAdvertising(id, true);
    sim.alerts.accept("pw-1");
    manager->connect(discovered(id));
    run();
    ASSERT_TRUE(manager->isUnlocked(id));
    manager->disconnect(handle(id));
    run();
    EXPECT_FALSE(storedPassword(id));
    EXPECT_FALSE(manager->isHeldBack(id));
}

TEST_F(Discovery, LabelsPreferTheCustomNameElseNameMiddleDotAndLastFourDigits) {
    SimDeviceSpec desk = vontalDevice(*BluetoothUuid::parse("A1B2C3D4-0000-4000-8000-000000006E5F"),
                                      "Desk", std::nullopt);
    desk.services.clear(); // never read a name from it
    SimDeviceSpec nameless = vontalDevice(
        *BluetoothUuid::parse("a1b2c3d4-0000-4000-8000-000000000a1b"), std::nullopt, std::nullopt);
    nameless.services.clear();
    const BluetoothUuid deskId = addDevice(desk);
    addDevice(nameless);
    const BluetoothUuid custom = deviceId(3);
    const BluetoothUuid empty = deviceId(4);
    addDevice(makeDeviceSpec(3));
    addDevice(makeDeviceSpec(4));
    sim.defaults.setDictionary({{custom.toString(), "Kitchen"}, {empty.toString(), ""}},
                               PeripheralManager::deviceNamesDefaultsKey);
    start();
    ASSERT_EQ(manager->discoveredPeripherals().size(), 4u);
    std::vector<std::string> labels;
    for (const PeripheralRef& peripheral : manager->discoveredPeripherals())
        labels.push_back(manager->displayName(peripheral));
    EXPECT_THAT(labels, ElementsAre("Desk \u00B7 6E5F", "Unknown \u00B7 0A1B", "Kitchen", ""));

    // Computed afresh each time: a name that changes shows at once.
    sim.bluetooth.setName(deskId, "Den");
    EXPECT_EQ(manager->displayName(manager->discoveredPeripherals()[1]), "Unknown \u00B7 0A1B");
    EXPECT_EQ(manager->displayName(manager->discoveredPeripherals()[0]), "Den \u00B7 6E5F");
}

} // namespace
} // namespace vontal
