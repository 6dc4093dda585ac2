#pragma once

// Tells when bluetoothd adds or removes an adapter, from its object manager's InterfacesAdded and
// InterfacesRemoved signals: Qt finds an adapter only when a QBluetoothLocalDevice is made and
// says nothing when one comes or goes.

#include <QDBusMessage>
#include <QObject>
#include <functional>

namespace vontal {

class BluezAdapterSignals final : public QObject {
    Q_OBJECT

public:
    // `changed` runs for every adapter object added or removed (devices and GATT objects are
    // passed over), told which and its object path. Nothing is heard without a system bus.
    explicit BluezAdapterSignals(std::function<void(bool removed, const QString& path)> changed);
    ~BluezAdapterSignals() override;

    // Whether an object-manager signal about `path` concerns an adapter (/org/bluez/hciN).
    static bool isAdapterPath(const QString& path);

private Q_SLOTS:
    void interfacesChanged(const QDBusMessage& message);

private:
    std::function<void(bool removed, const QString& path)> changed_;
};

} // namespace vontal
