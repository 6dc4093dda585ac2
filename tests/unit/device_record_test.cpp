#include "manager_fixture.h"

#include <functional>

namespace vontal {
namespace {

class StubCharacteristic final : public Characteristic {
public:
    BluetoothUuid uuid() const override { return PeripheralManager::characteristicUUID; }
    std::optional<Bytes> value() const override { return std::nullopt; }
    bool isNotifying() const override { return false; }
};

TEST(DeviceRecordEmpty, AnythingSetInARecordKeepsIt) {
    EXPECT_TRUE(DeviceRecord{}.empty());
    const auto characteristic = std::make_shared<StubCharacteristic>();
    const std::vector<std::pair<const char*, std::function<void(DeviceRecord&)>>> fills = {
        {"unlocked",
         [](DeviceRecord& r) {
             r.connection.unlocked = true;
         }},
        {"refused",
         [](DeviceRecord& r) {
             r.connection.refusedPassword = true;
         }},
        {"cut announced",
         [](DeviceRecord& r) {
             r.connection.cutAnnounced = true;
         }},
        {"write error",
         [](DeviceRecord& r) {
             r.connection.writeErrorsLogged.insert("x");
         }},
        {"empty waiting name",
         [](DeviceRecord& r) {
             r.connection.waitingName = "";
         }},
        {"empty announced name",
         [](DeviceRecord& r) {
             r.connection.announcedName = "";
         }},
        {"password characteristic",
         [&](DeviceRecord& r) {
             r.connection.passwordCharacteristic = characteristic;
         }},
        {"data characteristic",
         [&](DeviceRecord& r) {
             r.connection.dataCharacteristic = characteristic;
         }},
        {"failures",
         [](DeviceRecord& r) {
             r.backoff.failures = 1;
         }},
        {"pause",
         [](DeviceRecord& r) {
             r.backoff.pause.emplace();
         }},
        {"waiting",
         [](DeviceRecord& r) {
             r.backoff.waiting.push_back(nullptr);
         }},
        {"alert",
         [](DeviceRecord& r) {
             r.alert.emplace();
         }},
        {"held back",
         [](DeviceRecord& r) {
             r.heldBack = true;
         }},
        {"pending in scan 0",
         [](DeviceRecord& r) {
             r.pendingScan = 0;
         }},
    };
    for (const auto& [what, fill] : fills) {
        DeviceRecord record;
        fill(record);
        EXPECT_FALSE(record.empty()) << what;
        record.connection = {};
        record.backoff = {};
        record.alert.reset();
        record.heldBack = false;
        record.pendingScan.reset();
        EXPECT_TRUE(record.empty()) << what;
    }
}

using DeviceRecords = ManagerTest;

TEST_F(DeviceRecords, AreKeptOnlyForDevicesTheManagerDealsWith) {
    const BluetoothUuid known = addKnownDevice(1);
    addDevice(2);
    start();
    ASSERT_TRUE(manager->isUnlocked(known));
    ASSERT_EQ(discoveredIds().size(), 1u);
    // The unknown device under "Discovered" has nothing to keep.
    EXPECT_EQ(manager->recordedDevices(), 1u);

    manager->disconnect(handle(known));
    run();
    EXPECT_EQ(manager->recordedDevices(), 0u);
}

TEST_F(DeviceRecords, APowerOffDropsWhatConnectionsLeftButKeepsAHeldBackDevice) {
    const BluetoothUuid stale = addDevice(1);
    storePassword(stale, "stale");
    const BluetoothUuid good = addKnownDevice(2);
    sim.alerts.cancel();
    start();
    ASSERT_TRUE(manager->isHeldBack(stale));
    ASSERT_TRUE(manager->isUnlocked(good));
    EXPECT_EQ(manager->recordedDevices(), 2u);

    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_EQ(manager->recordedDevices(), 1u);
    EXPECT_TRUE(manager->isHeldBack(stale));

    // The user's Disconnect forgets the held-back device, and with it its record.
    manager->disconnect(handle(stale));
    run();
    EXPECT_EQ(manager->recordedDevices(), 0u);
}

TEST_F(DeviceRecords, AKnownDeviceGoneForGoodLeavesNoneAndUnknownOnesMakeNone) {
    const BluetoothUuid known = addKnownDevice(1);
    start();
    ASSERT_TRUE(manager->isUnlocked(known));
    for (std::uint64_t n = 2; n <= 300; ++n)
        addDevice(n);
    run();
    ASSERT_EQ(manager->discoveredPeripherals().size(), settings.discoveredCeiling);
    EXPECT_EQ(manager->recordedDevices(), 1u);

    sim.bluetooth.removeDevice(known);
    run();
    EXPECT_EQ(manager->recordedDevices(), 0u);
}

} // namespace
} // namespace vontal
