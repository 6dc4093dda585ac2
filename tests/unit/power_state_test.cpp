#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = SimRequest::Kind;

const char* const kOn = "Bluetooth powered ON \u2014 restarting scan and reconnect";
const char* const kOff = "Bluetooth powered OFF \u2014 clearing state";

std::vector<Kind> kinds(const std::vector<SimRequest>& requests) {
    std::vector<Kind> result;
    for (const SimRequest& request : requests)
        result.push_back(request.kind);
    return result;
}

using PowerState = ManagerTest;

TEST_F(PowerState, FirstReportPoweredOnScansForTheServiceStartsTheKeepAliveAndConnectsNothing) {
    make();
    EXPECT_FALSE(manager->keepAliveRunning());
    run();
    EXPECT_THAT(takeLines(), ElementsAre(kOn));
    const auto& requests = sim.bluetooth.requests();
    ASSERT_THAT(kinds(requests), ElementsAre(Kind::StopScan, Kind::Scan));
    EXPECT_EQ(requests[1].uuids, std::vector<BluetoothUuid>{PeripheralManager::serviceUUID});
    EXPECT_TRUE(manager->keepAliveRunning());
}

TEST_F(PowerState, UnknownFirstThenPoweredOn) {
    sim.bluetooth.setRadioState(CentralState::Unknown);
    start();
    EXPECT_THAT(takeLines(), ElementsAre("Central state: 0"));
    EXPECT_THAT(sim.bluetooth.requests(), IsEmpty());
    EXPECT_FALSE(manager->keepAliveRunning());

    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_THAT(takeLines(), ElementsAre(kOn));
    EXPECT_THAT(kinds(sim.bluetooth.requests()), ElementsAre(Kind::StopScan, Kind::Scan));
}

TEST_F(PowerState, EveryOtherStateOnlyLogsItsNumberAndKeepsListsScanAndTimer) {
    const BluetoothUuid known = addKnownDevice(1);
    const BluetoothUuid unknown = addDevice(2);
    start();
    takeLines();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{known});
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{unknown});
    const std::size_t before = recordSize();

    for (int state : {1, 3, 2, 0, 9}) {
        sim.bluetooth.setRadioState(static_cast<CentralState>(state));
        run();
        EXPECT_THAT(takeLines(), ElementsAre("Central state: " + std::to_string(state)));
        EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{known});
        EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{unknown});
        EXPECT_TRUE(manager->keepAliveRunning());
    }
    EXPECT_THAT(requestsSince(before), IsEmpty());
}

TEST_F(PowerState, PoweredOnReconnectsOnlyListedPeripheralsWhoseLinkIsDown) {
    const BluetoothUuid up = addKnownDevice(1);
    const BluetoothUuid far = addDevice(2);
    start();
    // The user connects a device that then goes out of range before the link comes up.
    sim.bluetooth.setConnectDelay(far, std::chrono::seconds(1));
    manager->connect(discovered(far));
    sim.bluetooth.setInRange(far, false);
    advance(std::chrono::seconds(5));
    ASSERT_EQ(handle(far)->state(), PeripheralState::Connecting);
    ASSERT_EQ(connectedIds(), (std::vector<BluetoothUuid>{up, far}));
    const std::size_t before = recordSize();

    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    const auto requests = requestsSince(before);
    ASSERT_THAT(kinds(requests), ElementsAre(Kind::StopScan, Kind::Scan, Kind::Connect));
    EXPECT_EQ(requests[2].device, far);
    EXPECT_EQ(connectedIds(), (std::vector<BluetoothUuid>{up, far}));
}

TEST_F(PowerState, AfterResettingThePoweredOnReportReconnectsWhatTheListsStillHold) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    ASSERT_TRUE(sim.bluetooth.isUnlocked(id));
    takeLines();

    // The radio resets: the links are gone, but only a powered-off report empties the lists.
    sim.bluetooth.setRadioState(CentralState::Resetting);
    run();
    EXPECT_THAT(takeLines(), ElementsAre("Central state: 1"));
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_EQ(handle(id)->state(), PeripheralState::Disconnected);

    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_EQ(count(Kind::Connect, id), 2u);
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id)) << "the handshake runs again on the new link";
    EXPECT_EQ(
        sim.bluetooth.writesTo(id, PeripheralManager::passwordCharUUID, WriteType::WithResponse),
        (std::vector<Bytes>{bytesOf("pw-1"), bytesOf("pw-1")}));
}

TEST_F(PowerState, PoweredOffEmptiesEveryListAndTellsObserversButKeepsNamesAndTimer) {
    const BluetoothUuid connected = addKnownDevice(1);
    const BluetoothUuid listed = addDevice(2);
    SimDeviceSpec slow = makeDeviceSpec(3);
    slow.connectDelay = std::chrono::hours(1);
    const BluetoothUuid pending = addDevice(slow);
    storePassword(pending, "pw-3");
    start();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{connected});
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{listed});
    ASSERT_EQ(pendingIds(), std::vector<BluetoothUuid>{pending});
    const auto names = manager->deviceNames();
    ASSERT_FALSE(names.empty());
    takeLines();
    const int toldBefore = willChange;
    const std::size_t before = recordSize();

    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_THAT(takeLines(), ElementsAre(kOff));
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_GT(willChange, toldBefore);
    EXPECT_EQ(manager->deviceNames(), names);
    EXPECT_TRUE(manager->keepAliveRunning());
    // No scan is stopped, no connection cancelled.
    EXPECT_THAT(requestsSince(before), IsEmpty());

    // Ticks now find nobody to write to.
    advance(std::chrono::seconds(60));
    EXPECT_THAT(requestsSince(before), IsEmpty());
}

TEST_F(PowerState, AfterOffAndOnKnownDevicesComeBackOnlyThroughDiscovery) {
    const BluetoothUuid known = addKnownDevice(1);
    const BluetoothUuid unknown = addDevice(2);
    start();
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    const std::size_t before = recordSize();

    sim.bluetooth.setConnectDelay(known, std::chrono::seconds(1));
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    // The power-on itself connects nothing: the only connect request follows the new report.
    const auto requests = requestsSince(before);
    ASSERT_THAT(kinds(requests), ElementsAre(Kind::StopScan, Kind::Scan, Kind::Connect));
    EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{known});
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{unknown});
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());

    advance(std::chrono::seconds(1));
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{known});
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
}

TEST_F(PowerState, TwoPoweredOnReportsRestartTheScanButAskNoSecondConnection) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    const std::size_t before = recordSize();
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    EXPECT_THAT(kinds(requestsSince(before)), ElementsAre(Kind::StopScan, Kind::Scan));
    EXPECT_EQ(count(Kind::Connect, id), 1u);
}

} // namespace
} // namespace vontal
