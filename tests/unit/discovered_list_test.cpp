#include "manager_fixture.h"

#include <algorithm>
#include <gmock/gmock.h>

namespace vontal {
namespace {

using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = SimRequest::Kind;

using DiscoveredList = ManagerTest;

TEST_F(DiscoveredList, AnEntryUnheardForAMinuteLeavesWhileOneStillHeardStays) {
    sim.bluetooth.setReportAgainAfter(seconds(10));
    const BluetoothUuid gone = addDevice(1);
    const BluetoothUuid near = addDevice(2);
    start();
    ASSERT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{gone, near}));
    // What observers see when told: the list before the change.
    std::vector<std::vector<BluetoothUuid>> seenWhenTold;
    const Subscription observer =
        manager->objectWillChange().subscribe([&] { seenWhenTold.push_back(discoveredIds()); });

    sim.bluetooth.setInRange(gone, false);
    advance(seconds(60));
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{gone, near}))
        << "a minute is not over yet for the device last heard at the start";
    EXPECT_THAT(seenWhenTold, IsEmpty()) << "hearing a listed device again changes nothing shown";
    advance(seconds(5));
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{near});
    ASSERT_EQ(seenWhenTold.size(), 1u);
    EXPECT_EQ(seenWhenTold[0], (std::vector<BluetoothUuid>{gone, near}));

    // Heard every ten seconds, the other one stays however long it is listed.
    advance(seconds(300));
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{near});
    // Back in range, the device comes back at the end of the list.
    sim.bluetooth.setInRange(gone, true);
    run();
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{near, gone}));
    EXPECT_EQ(count(Kind::Connect, gone), 0u);
}

TEST_F(DiscoveredList, TheSweepRunsOnlyWhileSomethingIsListed) {
    const BluetoothUuid id = addDevice(1);
    start();
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    const std::size_t timersWhileListed = sim.clock.activeTimers();
    sim.bluetooth.setInRange(id, false);
    advance(seconds(65));
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_EQ(sim.clock.activeTimers(), timersWhileListed - 1);
}

TEST_F(DiscoveredList, ALossReportRemovesAnUnknownDeviceAtOnceButNoKnownOrConnectedOne) {
    const BluetoothUuid unknown = addDevice(1);
    const BluetoothUuid stopped = addDevice(2);
    const BluetoothUuid connected = addKnownDevice(3);
    sim.alerts.accept("wrong");
    sim.alerts.cancel();
    start();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{connected});
    // The user stops the second device on its wrong password: known, listed, not connecting.
    manager->connect(discovered(stopped));
    run();
    ASSERT_TRUE(manager->isHeldBack(stopped));
    ASSERT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{unknown, stopped}));
    const std::size_t handlesBefore = sim.bluetooth.handleCount(*manager->central());

    sim.bluetooth.removeDevice(unknown);
    sim.bluetooth.removeDevice(stopped);
    run();
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{stopped});
    EXPECT_EQ(sim.bluetooth.handleCount(*manager->central()), handlesBefore - 2)
        << "the stack forgets what it lost";
    // Neither expiry takes the stopped device.
    advance(seconds(120));
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{stopped});

    // A connected device's link ends with it; it is not listed anywhere.
    sim.bluetooth.removeDevice(connected);
    run();
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{stopped});
}

TEST_F(DiscoveredList, OverTheCeilingTheUnknownDeviceHeardLongestAgoGoesFirst) {
    settings.discoveredCeiling = 3;
    sim.bluetooth.setReportAgainAfter(seconds(10));
    const BluetoothUuid stopped = addDevice(1);
    const BluetoothUuid quiet = addDevice(2);
    const BluetoothUuid third = addDevice(3);
    sim.alerts.accept("wrong");
    sim.alerts.cancel();
    start();
    manager->connect(discovered(stopped));
    run();
    ASSERT_TRUE(manager->isHeldBack(stopped));
    ASSERT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{quiet, third, stopped}));
    // The second device goes quiet; the others are heard again, the stopped one last of all.
    sim.bluetooth.setInRange(quiet, false);
    advance(seconds(10));

    const BluetoothUuid fourth = addDevice(4);
    run();
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{third, stopped, fourth}));
    const BluetoothUuid fifth = addDevice(5);
    run();
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{stopped, fourth, fifth}))
        << "the stopped device is never dropped, even when heard longest ago";
    const BluetoothUuid sixth = addDevice(6);
    run();
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{stopped, fifth, sixth}));
}

TEST_F(DiscoveredList, AKnownDeviceHeardAgainWhileConnectingIsAskedForOncePerScan) {
    sim.bluetooth.setReportAgainAfter(seconds(5));
    SimDeviceSpec slow = makeDeviceSpec(1);
    slow.connectDelay = seconds(40);
    const BluetoothUuid id = addDevice(slow);
    storePassword(id, "pw-1");
    start();
    advance(seconds(30));
    EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(count(Kind::Connect, id), 1u);
    // A new scan is not a repeat.
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_EQ(pendingIds(), (std::vector<BluetoothUuid>{id, id}));
    advance(seconds(10));
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
}

TEST_F(DiscoveredList, ThousandsOfRotatingAddressesKeepTheListAndTheStackBounded) {
    constexpr std::uint64_t kLive = 300;
    make();
    run();
    for (std::uint64_t n = 1; n <= 3000; ++n) {
        addDevice(n);
        if (n > kLive)
            sim.bluetooth.removeDevice(deviceId(n - kLive));
        run();
        ASSERT_LE(manager->discoveredPeripherals().size(), settings.discoveredCeiling);
    }
    // The newest devices, in the order they came.
    std::vector<BluetoothUuid> newest;
    for (std::uint64_t n = 3001 - settings.discoveredCeiling; n <= 3000; ++n)
        newest.push_back(deviceId(n));
    EXPECT_EQ(discoveredIds(), newest);
    EXPECT_LE(sim.bluetooth.handleCount(*manager->central()), kLive);
    // Once none is heard any more, the list empties.
    for (std::uint64_t n = 3001 - kLive; n <= 3000; ++n)
        sim.bluetooth.setInRange(deviceId(n), false);
    advance(seconds(65));
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
}

} // namespace
} // namespace vontal
