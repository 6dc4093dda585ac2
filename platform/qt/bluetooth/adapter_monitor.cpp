#include "adapter_monitor.h"

#include "bluez_daemon.h"

#include <QDBusConnection>

namespace vontal {

AdapterMonitor::AdapterMonitor(std::function<void()> changed, std::function<void()> bluezStarted)
    : changed_(std::move(changed)), bluezStarted_(std::move(bluezStarted)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        watcher_ =
            std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.bluez"), bus,
                                                  QDBusServiceWatcher::WatchForRegistration |
                                                      QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered, [this] {
            bluezRunning_ = true;
            bluezStarted_();
            if (refresh())
                changed_();
        });
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, [this] {
            // Everything bluetoothd knew is gone with it, the adapter included.
            bluezRunning_ = false;
            unbind();
            changed_();
        });
    }
    adapterSignals_ = std::make_unique<BluezAdapterSignals>([this](bool removed) {
        // Qt may not have heard of the removal yet, so the bound device may still look valid.
        if (removed) {
            unbind();
            refresh();
            changed_();
        } else if (refresh()) {
            changed_();
        }
    });
    bluezRunning_ = vontal::bluezRunning();
    refresh();
}

AdapterMonitor::~AdapterMonitor() = default;

std::optional<QBluetoothAddress> AdapterMonitor::adapter() const {
    if (!local_ || !local_->isValid())
        return std::nullopt;
    return local_->address();
}

bool AdapterMonitor::powered() const {
    return adapter() && local_->hostMode() != QBluetoothLocalDevice::HostPoweredOff;
}

bool AdapterMonitor::refresh() {
    if (!bluezRunning_) {
        const bool hadOne = local_ != nullptr;
        unbind();
        return hadOne;
    }
    // Qt marks the device invalid once bluetoothd removed its adapter, but says nothing.
    if (local_ && local_->isValid())
        return false;
    const bool hadOne = local_ != nullptr;
    unbind();
    const QList<QBluetoothHostInfo> adapters = QBluetoothLocalDevice::allDevices();
    if (adapters.isEmpty())
        return hadOne;
    bind(adapters.first().address());
    return true;
}

void AdapterMonitor::bind(const QBluetoothAddress& address) {
    local_ = std::make_unique<QBluetoothLocalDevice>(address);
    QObject::connect(local_.get(), &QBluetoothLocalDevice::hostModeStateChanged,
                     [this](QBluetoothLocalDevice::HostMode) { changed_(); });
}

void AdapterMonitor::unbind() {
    local_.reset();
}

} // namespace vontal
