#include "bluez_gatt_client.h"

#include "bluez_object_tree.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QVariantMap>

namespace vontal {

namespace {

const QString kBluezService = QStringLiteral("org.bluez");

} // namespace

void lookUpCharacteristicPaths(QObject* context, const QBluetoothAddress& device,
                               const QBluetoothAddress& adapter, const BluetoothUuid& service,
                               std::function<void(std::map<BluetoothUuid, QString>)> found) {
    const QDBusMessage request = QDBusMessage::createMethodCall(
        kBluezService, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    const QDBusPendingCall call = QDBusConnection::systemBus().asyncCall(
        request, static_cast<int>(kObjectLookupTimeout.count()));
    // Owned by the context, so that an answer after it is gone goes nowhere.
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, device, adapter, service, found = std::move(found)] {
                         watcher->deleteLater();
                         found(characteristicPaths(bluezObjectsFrom(watcher->reply()), device,
                                                   adapter, service));
                     });
}

void writeCommand(const QString& path, const QByteArray& value) {
    QDBusMessage write = QDBusMessage::createMethodCall(
        kBluezService, path, QStringLiteral("org.bluez.GattCharacteristic1"),
        QStringLiteral("WriteValue"));
    write << value << QVariantMap{{QStringLiteral("type"), QStringLiteral("command")}};
    // The answer only says that bluetoothd queued the write; nobody waits for it.
    QDBusConnection::systemBus().asyncCall(write);
}

} // namespace vontal
