#pragma once

// The device link: one object that is the Bluetooth central's delegate, the delegate of every
// peripheral it connects, the observer of application activations, and the model the window
// shows. It is one class split over several files, one concern each:
//   peripheral_manager.cpp   construction, destruction, constants
//   power_state.cpp          radio state reports
//   forwarding.cpp           frontmost-application names and the keep-alive
//   discovery.cpp            discovery, connection, connect/disconnect/displayName
//   device_name_store.cpp    remembered device names in the user defaults
//   handshake.cpp            service/characteristic discovery, password answer, pairing step
//   password_prompt.cpp      the two password alerts and the password write
// Every entry point runs on the main thread; nothing is locked.

#include "bluetooth.h"
#include "change_signal.h"
#include "platform/platform.h"
#include "platform/subscription.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace vontal {

class PeripheralManager final : public CentralDelegate, public PeripheralDelegate {
public:
    struct Settings {
        // The product interval; only tests of real backends shorten it.
        std::chrono::milliseconds keepAliveInterval = std::chrono::seconds(15);
    };

    explicit PeripheralManager(const Platform& platform)
        : PeripheralManager(platform, Settings{}) {}
    PeripheralManager(const Platform& platform, Settings settings);
    ~PeripheralManager();
    PeripheralManager(const PeripheralManager&) = delete;
    PeripheralManager& operator=(const PeripheralManager&) = delete;

    // GATT layout of the devices vontal talks to.
    static constexpr BluetoothUuid serviceUUID =
        BluetoothUuid::literal("837084C2-C091-41FF-A39F-4C43873CE2D5");
    static constexpr BluetoothUuid characteristicUUID =
        BluetoothUuid::literal("86EA8D4D-D290-41CB-83EF-172B10165725");
    static constexpr BluetoothUuid deviceNameUUID =
        BluetoothUuid::literal("5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01");
    static constexpr BluetoothUuid passwordCharUUID =
        BluetoothUuid::literal("B549B710-BFDE-44AB-A496-B8DFA77D606A");
    static constexpr const char* deviceNamesDefaultsKey = "vontal.deviceNames";

    // Published state, read by the window.
    const std::vector<PeripheralRef>& connectedPeripherals() const { return connectedPeripherals_; }
    const std::vector<PeripheralRef>& discoveredPeripherals() const {
        return discoveredPeripherals_;
    }
    const std::map<BluetoothUuid, std::string>& deviceNames() const { return deviceNames_; }
    // Told before a published property changes, and by hand after some changes.
    ChangeSignal& objectWillChange() { return objectWillChange_; }

    // What the window's buttons and labels call.
    void connect(const PeripheralRef& peripheral);
    void disconnect(const PeripheralRef& peripheral);
    std::string displayName(const PeripheralRef& peripheral) const;

    // Unpublished state, visible for tests and diagnostics.
    const std::vector<PeripheralRef>& pendingPeripherals() const { return pendingPeripherals_; }
    const std::set<BluetoothUuid>& ignoreAutoReconnect() const { return ignoreAutoReconnect_; }
    Central* central() const { return central_.get(); }
    bool keepAliveRunning() const { return keepAliveCancellable_.has_value(); }
    const CharacteristicRef& passwordCharacteristic() const { return passwordCharacteristic_; }
    const CharacteristicRef& dataCharacteristic() const { return dataCharacteristic_; }

    // The password key of a peripheral: its identifier's 36-character upper-case text.
    static std::string passwordKey(const Peripheral& peripheral);

    // CentralDelegate
    void centralManagerDidUpdateState(Central& central) override;
    void didDiscoverPeripheral(Central& central, const PeripheralRef& peripheral,
                               const AdvertisementData& advertisementData, int rssi) override;
    void didConnectPeripheral(Central& central, const PeripheralRef& peripheral) override;
    void didDisconnectPeripheral(Central& central, const PeripheralRef& peripheral,
                                 const std::optional<Error>& error) override;

    // PeripheralDelegate
    void didDiscoverServices(const PeripheralRef& peripheral,
                             const std::optional<Error>& error) override;
    void didDiscoverCharacteristics(const PeripheralRef& peripheral, const ServiceRef& service,
                                    const std::optional<Error>& error) override;
    void didUpdateValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                        const std::optional<Error>& error) override;
    void didWriteValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                       const std::optional<Error>& error) override;
    void didUpdateNotificationState(const PeripheralRef& peripheral,
                                    const CharacteristicRef& characteristic,
                                    const std::optional<Error>& error) override;

    // The activation observer.
    void frontmostDidChange(const Notification& notification);

    // Forwarding and keep-alive.
    void sendAppName(const std::string& name);
    void startKeepAlive();
    void sendKeepAlive();

    // Password prompts; called from tasks on the main queue, never from a Bluetooth callback.
    void showPasswordPrompt(const PeripheralRef& peripheral, const std::string& passwordKey,
                            const CharacteristicRef& characteristic);
    void showIncorrectPasswordPrompt(const PeripheralRef& peripheral,
                                     const CharacteristicRef& characteristic);
    void writePassword(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                       const std::string& password);

    // Device-name store.
    void loadDeviceNames();
    void saveDeviceNames();

private:
    // Every assignment of deviceNames goes through here: observers first, then the store.
    void setDeviceNames(std::map<BluetoothUuid, std::string> names);
    void setDeviceName(const BluetoothUuid& identifier, const std::string& name);

    // Removes every entry with the peripheral's identifier, telling observers first.
    void removeConnected(const PeripheralRef& peripheral);

    // The body both password alerts share: ask, then store and write, or drop the connection.
    void runPasswordAlert(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                          const std::string& message, const std::string& acceptButton,
                          const std::function<std::string()>& keyToStoreUnder);
    void writeToAllTargets(const Bytes& payload);
    void runPairingStep(const PeripheralRef& peripheral);
    void log(const std::string& line) const;

    const Platform& platform_;
    const Settings settings_;
    ChangeSignal objectWillChange_;
    // The manager may be gone by the time a queued prompt or a timer tick runs.
    std::shared_ptr<PeripheralManager*> alive_;

    std::vector<PeripheralRef> connectedPeripherals_;
    std::vector<PeripheralRef> discoveredPeripherals_;
    std::map<BluetoothUuid, std::string> deviceNames_;
    std::set<BluetoothUuid> ignoreAutoReconnect_;
    std::vector<PeripheralRef> pendingPeripherals_;
    std::unique_ptr<Central> central_;
    CharacteristicRef passwordCharacteristic_;
    CharacteristicRef dataCharacteristic_;
    // The data characteristic each peripheral reported, so that pairing a device never writes
    // to another device's characteristic when two handshakes interleave.
    std::unordered_map<BluetoothUuid, CharacteristicRef> dataCharacteristicByPeripheral_;
    std::optional<Subscription> keepAliveCancellable_;
    Subscription activationObserver_;
};

} // namespace vontal
