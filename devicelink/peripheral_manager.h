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
//   alert_queue.cpp          one password alert per device, shown one at a time
//   reconnect_backoff.cpp    the growing pause before reconnecting a device that keeps failing
//   discovered_list.cpp      expiry and ceiling of "Discovered"
//   password_arrival.cpp     passwords the user defaults hand over later (from the keyring)
// What it keeps per device is one DeviceRecord (device_record.h).
// Every entry point runs on the main thread; nothing is locked.

#include "bluetooth.h"
#include "device_record.h"
#include "devicelink/platform.h"
#include "platform/change_signal.h"
#include "platform/subscription.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
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
        // A device whose connection ends before it accepts its password is connected again
        // after this pause, doubled with each such failure in a row up to the maximum.
        std::chrono::milliseconds firstReconnectPause = std::chrono::seconds(1);
        std::chrono::milliseconds maximumReconnectPause = std::chrono::seconds(60);
        // Changes of the custom device names are gathered this long into one save.
        std::chrono::milliseconds deviceNameSaveDelay = std::chrono::seconds(1);
        // An unknown device under "Discovered" not heard for this long leaves the list. The list
        // is looked over once per sweep interval, so an entry goes between the expiry and one
        // interval later.
        std::chrono::milliseconds discoveredExpiry = std::chrono::seconds(60);
        std::chrono::milliseconds discoveredSweepInterval = std::chrono::seconds(5);
        // Beyond this many entries, the unknown device heard longest ago leaves the list.
        std::size_t discoveredCeiling = 256;
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
    // How many devices the manager keeps anything about.
    std::size_t recordedDevices() const { return devices_.size(); }
    const CharacteristicRef& passwordCharacteristic() const { return passwordCharacteristic_; }
    const CharacteristicRef& dataCharacteristic() const { return dataCharacteristic_; }
    // Whether the device accepted its password on its current connection: only such devices
    // hear application names.
    bool isUnlocked(const BluetoothUuid& identifier) const {
        return recordOf(identifier).connection.unlocked;
    }
    // Whether an automatic connection of the device waits for the pause after failures.
    bool isBackingOff(const BluetoothUuid& identifier) const {
        return recordOf(identifier).backoff.pause.has_value();
    }
    // Whether the user cancelled the incorrect-password alert of a known device: it is not
    // connected again without the user until its "Connect" is pressed.
    bool isHeldBack(const BluetoothUuid& identifier) const { return recordOf(identifier).heldBack; }

    // Whether a password alert for the device is open or waits its turn.
    bool hasPasswordAlert(const BluetoothUuid& identifier) const {
        return recordOf(identifier).alert.has_value();
    }
    // Whether the device's handshake waits for its password to arrive from a slower store
    // before the password is written or asked for.
    bool awaitsPassword(const BluetoothUuid& identifier) const {
        return recordOf(identifier).connection.awaitingPassword;
    }

    // Where a listed device stands on its way to hearing application names.
    enum class DeviceState {
        Connecting,         // asked for, link not up yet
        WaitingForPassword, // link up, no verdict on a password yet
        PasswordRefused,    // the device refused a password on this connection
        Unlocked,           // the device accepted its password on this connection
    };
    DeviceState deviceState(const PeripheralRef& peripheral) const;
    bool anyUnlocked() const;
    // The bytes of the application name written last to a device (cut as that device's link
    // required); empty once no device is unlocked.
    const std::string& lastSentName() const { return lastSentName_; }
    // The name that goes to the device once the stack has taken the write before it; absent when
    // none waits.
    std::optional<std::string> waitingName(const BluetoothUuid& identifier) const {
        return recordOf(identifier).connection.waitingName;
    }
    // Whether a change of deviceNames waits to be saved (changes are gathered for a moment).
    bool hasUnsavedDeviceNames() const { return pendingNamesSave_.has_value(); }

    // The password key of a peripheral: its identifier's 36-character upper-case text.
    static std::string passwordKey(const Peripheral& peripheral);

    // CentralDelegate
    void centralManagerDidUpdateState(Central& central) override;
    void didDiscoverPeripheral(Central& central, const PeripheralRef& peripheral,
                               const AdvertisementData& advertisementData, int rssi) override;
    void didConnectPeripheral(Central& central, const PeripheralRef& peripheral) override;
    void didDisconnectPeripheral(Central& central, const PeripheralRef& peripheral,
                                 const std::optional<Error>& error) override;
    void didLosePeripheral(Central& central, const PeripheralRef& peripheral) override;

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
    void didFailWriteWithoutResponse(const PeripheralRef& peripheral,
                                     const CharacteristicRef& characteristic,
                                     const Error& error) override;
    void peripheralIsReadyToSendWriteWithoutResponse(const PeripheralRef& peripheral) override;

    // The activation observer.
    void frontmostDidChange(const Notification& notification);

    // Forwarding and keep-alive.
    void sendAppName(const std::string& name);
    void startKeepAlive();
    void sendKeepAlive();

    void writePassword(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                       const std::string& password);

    // Device-name store.
    void loadDeviceNames();
    void saveDeviceNames();

private:
    using PasswordAlert = DeviceRecord::PasswordAlert;
    using AlertKind = DeviceRecord::AlertKind;

    // The device's record, or an empty one.
    const DeviceRecord& recordOf(const BluetoothUuid& identifier) const;
    // The device's record, made when first needed for something the record is to keep.
    DeviceRecord& record(const BluetoothUuid& identifier) { return devices_[identifier]; }
    // Changes what a device has in its record; a record with nothing left in it goes.
    template <typename Edit> void change(const BluetoothUuid& identifier, Edit edit) {
        const auto device = devices_.find(identifier);
        if (device == devices_.end())
            return;
        edit(device->second);
        if (device->second.empty())
            devices_.erase(device);
    }

    // Every assignment of deviceNames goes through here: observers first, then the store.
    void setDeviceNames(std::map<BluetoothUuid, std::string> names);
    void setDeviceName(const BluetoothUuid& identifier, const std::string& name);

    // Removes every entry with the peripheral's identifier, telling observers first.
    void removeConnected(const PeripheralRef& peripheral);
    // Takes the handle off "Discovered", telling observers first; whether it was listed.
    bool unlistDiscovered(const PeripheralRef& peripheral);

    // Either password alert (password_prompt.cpp), run from a task on the main queue, never
    // from a Bluetooth callback: ask, then store and write, or drop the connection (and hold
    // back a device that refused its stored password).
    void runPasswordAlert(const PasswordAlert& alert);

    // Password alerts (alert_queue.cpp): one per device, shown one at a time in the order asked.
    void queuePasswordAlert(const PeripheralRef& peripheral, AlertKind kind);
    void scheduleNextAlert();
    void showNextAlert();
    // The device needs no answer any more (unlocked, forgotten, gone): a queued alert leaves the
    // queue, an open one closes, and its answer changes nothing.
    void withdrawAlert(const BluetoothUuid& identifier);
    // Stops the automatic connection of a device whose stored password it refuses.
    void holdBack(const PeripheralRef& peripheral);
    // Lists a known device that is not connected automatically now under "Discovered", so that
    // its "Connect" is at hand.
    void listAsDiscovered(const PeripheralRef& peripheral);
    // Writes without response to the peripheral's data characteristic in each custom service.
    // Returns whether a write went out.
    bool writeToTargets(const PeripheralRef& peripheral, const Bytes& payload);
    // At most one name per device is with the stack: while one is, the newest waits for it.
    void writeNameTo(const PeripheralRef& peripheral, const std::string& name);
    // The name as much of it as the link carries (whole characters), said once per connection.
    void sendNameNow(const PeripheralRef& peripheral, const std::string& name);
    // The application in front now, to a device that was just unlocked.
    void sendFrontmostName(const PeripheralRef& peripheral);
    void runPairingStep(const PeripheralRef& peripheral);
    // What belongs to one connection of a device is forgotten when it starts and when it ends.
    void forgetConnection(const BluetoothUuid& identifier);
    // The first prompt's answer came after the link dropped: connect it as a known device.
    void reconnectWithStoredPassword(const PeripheralRef& peripheral);
    void scheduleDeviceNamesSave();

    // Passwords that arrived later than asked for (password_arrival.cpp): devices listed
    // meanwhile are connected as known ones, and handshakes that waited go on.
    void passwordsArrived();

    // Reconnection back-off (reconnect_backoff.cpp).
    void connectionFailed(const PeripheralRef& peripheral);
    void backoffPauseOver(const BluetoothUuid& identifier);
    void resetBackoff(const BluetoothUuid& identifier);
    // A device listed under "Discovered" while it waited is connected as a known one.
    void connectWaiting(const PeripheralRef& peripheral);
    // Asks for a known device's connection; it is pending until its link is up.
    void connectKnown(Central& central, const PeripheralRef& peripheral);

    // "Discovered" stays short (discovered_list.cpp): entries are stamped when heard, and the
    // ones that may go (neither known nor connected) leave when unheard or over the ceiling.
    void appendDiscovered(const PeripheralRef& peripheral);
    void stampHeard(const PeripheralRef& peripheral);
    bool mayForget(const PeripheralRef& peripheral) const;
    void sweepDiscovered();
    // Every scan the manager starts goes through here, so that repeated reports of one scan can
    // be told from the reports of a new one.
    void startScan(Central& central);
    // Whether the discovery report is a known device's repeat within the scan that already
    // asked to connect it.
    bool repeatsPendingReport(const PeripheralRef& peripheral) const;

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
    // The characteristics discovered last, of whichever device that was.
    CharacteristicRef passwordCharacteristic_;
    CharacteristicRef dataCharacteristic_;
    std::optional<Subscription> keepAliveCancellable_;
    Subscription activationObserver_;
    Subscription passwordArrivals_;

    std::unordered_map<BluetoothUuid, DeviceRecord> devices_;
    std::string lastSentName_;
    std::optional<Subscription> pendingNamesSave_;

    // The devices whose alerts wait their turn, in the order asked.
    std::deque<BluetoothUuid> alertOrder_;
    std::uint64_t alertTickets_ = 0;
    // A withdrawn alert is still on screen until its nested loop has returned; the next one
    // waits for that.
    bool alertOnScreen_ = false;
    bool alertTaskPosted_ = false;

    struct Heard {
        std::uint64_t sweep = 0; // the sweep count when last heard
        std::uint64_t order = 0; // orders entries heard within one sweep
    };
    // By handle, for the entries of discoveredPeripherals_: an entry leaving takes its own along.
    std::unordered_map<const Peripheral*, Heard> heard_;
    std::uint64_t sweeps_ = 0;
    std::uint64_t heardCount_ = 0;
    // Runs while "Discovered" holds something.
    std::optional<Subscription> sweepTimer_;
    std::uint64_t scanGeneration_ = 0;
};

} // namespace vontal
