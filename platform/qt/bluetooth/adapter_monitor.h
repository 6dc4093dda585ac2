#pragma once

// Follows the Bluetooth adapter: whether bluetoothd is on the system bus, whether it has an
// adapter and whether that adapter is powered. Qt finds an adapter only when a
// QBluetoothLocalDevice is made, so adapters coming and going are heard from bluetoothd's object
// manager, and bluetoothd leaving or joining the bus from the bus itself. Nothing is polled.

#include "bluez_adapter_signals.h"

#include <QBluetoothAddress>
#include <QBluetoothLocalDevice>
#include <QDBusServiceWatcher>
#include <functional>
#include <memory>
#include <optional>

namespace vontal {

class AdapterMonitor {
public:
    // changed: the adapter, its power or bluetoothd's presence changed.
    // bluezStarted: bluetoothd joined the bus after the monitor was made.
    AdapterMonitor(std::function<void()> changed, std::function<void()> bluezStarted);
    ~AdapterMonitor();
    AdapterMonitor(const AdapterMonitor&) = delete;
    AdapterMonitor& operator=(const AdapterMonitor&) = delete;

    // Whether the system bus could be reached when the monitor was made.
    bool busConnected() const { return watcher_ != nullptr; }
    bool bluezRunning() const { return bluezRunning_; }
    std::optional<QBluetoothAddress> adapter() const;
    bool powered() const;

private:
    // Whether the adapter changed; reports nothing itself.
    bool refresh();
    void bind(const QBluetoothAddress& address);
    void unbind();

    std::function<void()> changed_;
    std::function<void()> bluezStarted_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::unique_ptr<BluezAdapterSignals> adapterSignals_;
    std::unique_ptr<QBluetoothLocalDevice> local_;
    bool bluezRunning_ = false;
};

} // namespace vontal
