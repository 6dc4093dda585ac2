#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Lifecycle = ManagerTest;

TEST_F(Lifecycle, RightAfterConstructionListsAreEmptyAndOnlyTheNamesAreLoaded) {
    addDevice(1);
    const BluetoothUuid named = deviceId(7);
    sim.defaults.setDictionary({{named.toString(), "Kitchen"}},
                               PeripheralManager::deviceNamesDefaultsKey);
    make();

    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_THAT(manager->ignoreAutoReconnect(), IsEmpty());
    EXPECT_NE(manager->central(), nullptr);
    EXPECT_FALSE(manager->keepAliveRunning());
    EXPECT_FALSE(manager->passwordCharacteristic());
    EXPECT_FALSE(manager->dataCharacteristic());
    EXPECT_EQ(manager->deviceNames(), (std::map<BluetoothUuid, std::string>{{named, "Kitchen"}}));
    EXPECT_EQ(sim.workspace.observerCount(), 1u);
    // Nothing is scanned or connected until the radio reports.
    EXPECT_THAT(sim.bluetooth.requests(), IsEmpty());
    EXPECT_THAT(sim.diagnostics.lines(), IsEmpty());
}

TEST_F(Lifecycle, GattConstantsAreTheDeviceProtocolsAndCompareByValue) {
    EXPECT_EQ(PeripheralManager::serviceUUID.toString(), "837084C2-C091-41FF-A39F-4C43873CE2D5");
    EXPECT_EQ(PeripheralManager::characteristicUUID.toString(),
              "86EA8D4D-D290-41CB-83EF-172B10165725");
    EXPECT_EQ(PeripheralManager::deviceNameUUID.toString(), "5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01");
    EXPECT_EQ(PeripheralManager::passwordCharUUID.toString(),
              "B549B710-BFDE-44AB-A496-B8DFA77D606A");
    EXPECT_EQ(std::string(PeripheralManager::deviceNamesDefaultsKey), "vontal.deviceNames");

    // A device that advertises the service written in lower case, or built from its raw bytes,
    // is found by the scan all the same.
    SimDeviceSpec lower = makeDeviceSpec(1);
    lower.advertisedServices = {*BluetoothUuid::parse("837084c2-c091-41ff-a39f-4c43873ce2d5")};
    addDevice(lower);
    SimDeviceSpec raw = makeDeviceSpec(2);
    raw.advertisedServices = {*BluetoothUuid::fromBytes(PeripheralManager::serviceUUID.bytes())};
    addDevice(raw);
    start();
    EXPECT_EQ(discoveredIds(), (std::vector<BluetoothUuid>{deviceId(1), deviceId(2)}));
}

TEST_F(Lifecycle, DestroyingAManagerWhoseKeepAliveNeverStartedIsQuiet) {
    sim.bluetooth.setRadioState(CentralState::Unknown);
    start();
    EXPECT_FALSE(manager->keepAliveRunning());
    manager.reset();
    EXPECT_EQ(sim.workspace.observerCount(), 0u);
    EXPECT_EQ(sim.clock.activeTimers(), 0u);
}

TEST_F(Lifecycle, AfterDestructionNothingReachesTheManagerAndNothingIsWritten) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    ASSERT_TRUE(manager->keepAliveRunning());
    const std::size_t before = recordSize();

    // Answers still on their way when the manager goes.
    sim.bluetooth.loseLink(id);
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    manager.reset();

    sim.workspace.activate("Editor");
    advance(std::chrono::minutes(1));
    EXPECT_EQ(sim.workspace.observerCount(), 0u);
    EXPECT_EQ(sim.clock.activeTimers(), 0u);
    EXPECT_THAT(requestsSince(before), IsEmpty());
    EXPECT_THAT(sim.diagnostics.lines(),
                ::testing::Not(::testing::Contains("Bluetooth powered OFF \u2014 clearing state")));
}

// Observers are told before a published list changes, and again by hand where the manager
// says so: the view re-reads the lists on its next turn, so it must never be told too late.
TEST_F(Lifecycle, ObserversAreToldBeforeTheListsChange) {
    const BluetoothUuid known = addKnownDevice(1);
    addDevice(2);
    make();
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    Subscription watch = manager->objectWillChange().subscribe([&] {
        seen.emplace_back(manager->connectedPeripherals().size(),
                          manager->discoveredPeripherals().size());
    });
    run();
    ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{known});
    ASSERT_EQ(discoveredIds(), std::vector<BluetoothUuid>{deviceId(2)});
    // The unknown device was appended after one announcement; the known one went to the
    // unpublished pending list silently and was announced when its link came up (before being
    // appended, and once more by hand); the device name read announces twice.
    EXPECT_EQ(seen.front(), std::make_pair(std::size_t{0}, std::size_t{0}));
    EXPECT_TRUE(std::find(seen.begin(), seen.end(),
                          std::make_pair(std::size_t{0}, std::size_t{1})) != seen.end());

    seen.clear();
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_THAT(
        seen, ElementsAre(std::make_pair(1u, 1u), std::make_pair(0u, 1u), std::make_pair(0u, 0u)));
}

} // namespace
} // namespace vontal
