#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using SimKind = SimRequest::Kind;
using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ReconnectBackoff = ManagerTest;

std::size_t linesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(),
                      [&](const std::string& line) { return line.starts_with(prefix); }));
}

TEST_F(ReconnectBackoff, ADeviceThatDropsTheLinkAtItsPasswordIsTriedAfterPausesThatGrowTo60s) {
    SimDeviceSpec hostile = makeDeviceSpec(1);
    hostile.dropsLinkOnPasswordWrite = true;
    const BluetoothUuid id = addDevice(hostile);
    storePassword(id, "pw-1");
    start();
    ASSERT_EQ(count(SimKind::Connect, id), 1u);

    // 1 s, 2 s, 4 s ... between the attempts, never sooner. Meanwhile the device is listed
    // under "Discovered", with its "Connect" at hand.
    std::size_t attempts = 1;
    for (const int pause : {1, 2, 4, 8, 16, 32, 60, 60}) {
        advance(seconds(pause) - milliseconds(1));
        EXPECT_EQ(count(SimKind::Connect, id), attempts) << "before the " << pause << " s pause";
        EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
        EXPECT_THAT(pendingIds(), IsEmpty());
        advance(milliseconds(1));
        EXPECT_EQ(count(SimKind::Connect, id), ++attempts) << "after the " << pause << " s pause";
    }
    // Ten more minutes: one attempt a minute, not a thousand.
    advance(seconds(600));
    EXPECT_EQ(count(SimKind::Connect, id), attempts + 10);
    EXPECT_EQ(linesStartingWith(takeLines(), "Connecting Device 1 \u00B7 0001 keeps failing; "
                                             "trying again after a growing pause, up to 60 s"),
              1u);
    // Its "Connect" does not wait for the pause.
    advance(seconds(1));
    ASSERT_TRUE(manager->isBackingOff(id));
    manager->connect(discovered(id));
    EXPECT_EQ(count(SimKind::Connect, id), attempts + 11);
    EXPECT_THAT(discoveredIds(), IsEmpty());
    run();

    // The device behaves again: the next attempt unlocks it, and a later lost link is mended at
    // once.
    sim.bluetooth.setDropsLinkOnPasswordWrite(id, false);
    advance(seconds(60));
    ASSERT_TRUE(manager->isUnlocked(id));
    EXPECT_FALSE(manager->isBackingOff(id));
    const std::size_t before = count(SimKind::Connect, id);
    sim.bluetooth.loseLink(id);
    run();
    EXPECT_EQ(count(SimKind::Connect, id), before + 1);
    EXPECT_TRUE(manager->isUnlocked(id));
}

TEST_F(ReconnectBackoff, TheUsersConnectDoesNotWaitAndPowerOffForgetsTheCount) {
    const BluetoothUuid id = addDevice(1);
    start();
    // First prompt cancelled twice: two failed connections in a row.
    sim.alerts.cancel();
    sim.alerts.cancel();
    manager->connect(discovered(id));
    run();
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    manager->connect(discovered(id));
    run();
    EXPECT_EQ(count(SimKind::Connect, id), 2u) << "the second Connect went out at once";
    EXPECT_TRUE(manager->isBackingOff(id));

    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_FALSE(manager->isBackingOff(id));
}

TEST_F(ReconnectBackoff, APasswordTypedAfterTheLinkDroppedConnectsTheDeviceAndIsVerifiedThen) {
    const BluetoothUuid id = addDevice(1);
    start();
    sim.alerts.accept("pw-1", [&] {
        // The device goes away and comes back while the user types: it is listed as new.
        sim.bluetooth.loseLink(id);
        run();
        EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    });
    manager->connect(discovered(id));
    run();

    EXPECT_EQ(storedPassword(id), "pw-1");
    EXPECT_THAT(discoveredIds(), IsEmpty());
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_TRUE(manager->isUnlocked(id));
    // Written once, on the new link, by the handshake; no second prompt.
    EXPECT_THAT(
        sim.bluetooth.writesTo(id, PeripheralManager::passwordCharUUID, WriteType::WithResponse),
        ElementsAre(bytesOf("pw-1")));
    EXPECT_EQ(sim.alerts.requests().size(), 1u);
}

} // namespace
} // namespace vontal
