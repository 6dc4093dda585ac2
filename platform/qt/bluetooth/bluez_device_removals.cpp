#include "bluez_device_removals.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QRegularExpression>

namespace vontal {

BluezDeviceRemovals::BluezDeviceRemovals(std::function<void(const QBluetoothAddress&)> removed)
    : removed_(std::move(removed)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(QStringLiteral("org.bluez"), QStringLiteral("/"),
                QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                QStringLiteral("InterfacesRemoved"), this, SLOT(interfacesRemoved(QDBusMessage)));
}

BluezDeviceRemovals::~BluezDeviceRemovals() = default;

std::optional<QBluetoothAddress> BluezDeviceRemovals::removedDevice(const QString& path,
                                                                    const QStringList& interfaces) {
    static const QRegularExpression devicePath(
        QStringLiteral("^/org/bluez/[^/]+/dev_([0-9A-Fa-f]{2}(?:_[0-9A-Fa-f]{2}){5})$"));
    if (!interfaces.contains(QStringLiteral("org.bluez.Device1")))
        return std::nullopt;
    const QRegularExpressionMatch match = devicePath.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    return QBluetoothAddress(match.captured(1).replace(QLatin1Char('_'), QLatin1Char(':')));
}

void BluezDeviceRemovals::interfacesRemoved(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 2)
        return;
    const auto address =
        removedDevice(arguments[0].value<QDBusObjectPath>().path(), arguments[1].toStringList());
    if (address)
        removed_(*address);
}

} // namespace vontal
