#pragma once

// Tells when bluetoothd forgets a device: it removes the Device1 object of a device it has not
// heard for a while (and is not connected to), with the object manager's InterfacesRemoved.
// Qt's discovery agent never says that a device went away.

#include <QBluetoothAddress>
#include <QDBusMessage>
#include <QObject>
#include <functional>
#include <optional>

namespace vontal {

class BluezDeviceRemovals final : public QObject {
    Q_OBJECT

public:
    // `removed` runs with the address of every device object removed. Nothing is heard without
    // a system bus.
    explicit BluezDeviceRemovals(std::function<void(const QBluetoothAddress&)> removed);
    ~BluezDeviceRemovals() override;

    // The address of a device object (/org/bluez/hciN/dev_AA_BB_CC_DD_EE_FF) when the removed
    // interfaces include Device1; nothing for adapters, GATT objects and anything else.
    static std::optional<QBluetoothAddress> removedDevice(const QString& path,
                                                          const QStringList& interfaces);

private Q_SLOTS:
    void interfacesRemoved(const QDBusMessage& message);

private:
    std::function<void(const QBluetoothAddress&)> removed_;
};

} // namespace vontal
