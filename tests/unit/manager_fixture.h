#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/sim/vontal_device.h"
#include "tests/support/sim/sim_platform.h"

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vontal {

// The line of a device that accepted its password.
inline constexpr const char* kAccepted =
    "Password accepted \u2013 proceeding with data characteristic";

Bytes bytesOf(std::string_view text);

// The identifier of test device n: 00000000-0000-0000-0000-C0FFEE0000nn.
BluetoothUuid deviceId(std::uint64_t n);

// A manager on the simulated platform. Devices answer on the next turn of the main queue unless a
// test gives them delays; nothing runs until the test runs the clock.
class ManagerTest : public ::testing::Test {
protected:
    SimPlatform sim;
    std::unique_ptr<PeripheralManager> manager;
    // What make() gives the manager.
    PeripheralManager::Settings settings;
    int willChange = 0;

    void TearDown() override;

    // Makes the manager (its first state report waits on the main queue) and counts
    // objectWillChange.
    PeripheralManager& make();
    // Makes it and runs until idle.
    PeripheralManager& start();
    void run() { sim.clock.runUntilIdle(); }
    void advance(std::chrono::milliseconds time) { sim.clock.advance(time); }

    // A device with vontal's layout, named "Device n", whose password is "pw-n".
    BluetoothUuid addDevice(std::uint64_t n);
    BluetoothUuid addDevice(SimDeviceSpec deviceSpec);
    // addDevice(n) with its password stored, so it is known.
    BluetoothUuid addKnownDevice(std::uint64_t n);
    static SimDeviceSpec makeDeviceSpec(std::uint64_t n);

    void storePassword(const BluetoothUuid& id, const std::string& password);
    std::optional<std::string> storedPassword(const BluetoothUuid& id) const;

    // The handle the manager's central uses for the device.
    PeripheralRef handle(const BluetoothUuid& id);
    PeripheralRef discovered(const BluetoothUuid& id) const;

    static std::vector<BluetoothUuid> ids(const std::vector<PeripheralRef>& list);
    std::vector<BluetoothUuid> connectedIds() const { return ids(manager->connectedPeripherals()); }
    std::vector<BluetoothUuid> discoveredIds() const {
        return ids(manager->discoveredPeripherals());
    }
    std::vector<BluetoothUuid> pendingIds() const { return ids(manager->pendingPeripherals()); }

    // Writes without response that reached the data characteristic of the device.
    std::vector<Bytes> dataWrites(const BluetoothUuid& id) const;
    // Requests made since `from` (an index into the record).
    std::vector<SimRequest> requestsSince(std::size_t from) const;
    std::size_t recordSize() const { return sim.bluetooth.requests().size(); }
    std::size_t count(SimRequest::Kind kind, const BluetoothUuid& id) const;

    std::vector<std::string> takeLines() { return sim.diagnostics.takeLines(); }

private:
    Subscription willChangeCounter_;
};

// Two known devices, A listed before B, both connected and unlocked.
class TwoConnectedDevicesTest : public ManagerTest {
protected:
    BluetoothUuid a, b;
    void SetUp() override {
        a = addKnownDevice(1);
        b = addKnownDevice(2);
        start();
        ASSERT_EQ(connectedIds(), (std::vector<BluetoothUuid>{a, b}));
    }
};

} // namespace vontal
