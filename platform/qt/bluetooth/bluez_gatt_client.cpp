#include "bluez_gatt_client.h"

#include "bluez_daemon.h"
#include "bluez_object_tree.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QVariantMap>

namespace vontal {

void lookUpCharacteristicPaths(
    QObject* context, const QBluetoothAddress& device, const QBluetoothAddress& adapter,
    const BluetoothUuid& service,
    std::function<void(std::map<BluetoothUuid, QString>, std::optional<int> mtu)> found) {
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
                         const BluezObjects objects = bluezObjectsFrom(watcher->reply());
                         auto paths = characteristicPaths(objects, device, adapter, service);
                         // One link, one MTU: any characteristic of the device tells it.
                         std::optional<int> mtu;
                         for (const auto& [uuid, path] : paths) {
                             if ((mtu = characteristicMtu(objects, path)))
                                 break;
                         }
                         found(std::move(paths), mtu);
                     });
}

void writeCommand(QObject* context, const QString& path, const QByteArray& value,
                  std::function<void(const std::optional<QString>& failure)> answered) {
    QDBusMessage write = QDBusMessage::createMethodCall(
        kBluezService, path, QStringLiteral("org.bluez.GattCharacteristic1"),
        QStringLiteral("WriteValue"));
    write << value << QVariantMap{{QStringLiteral("type"), QStringLiteral("command")}};
    // The answer says whether bluetoothd could queue the write; it paces the next one, and a
    // refusal is worth telling.
    // bluetoothd answers a command as soon as it has queued it; an answer lost on the way must not
    // hold the device's next name for the bus's default 25 s.
    constexpr int kAnswerTimeoutMs = 2000;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::systemBus().asyncCall(write, kAnswerTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, answered = std::move(answered)] {
                         watcher->deleteLater();
                         if (!watcher->isError()) {
                             answered(std::nullopt);
                             return;
                         }
                         const QDBusError error = watcher->error();
                         answered(error.message().isEmpty() ? error.name() : error.message());
                     });
}

} // namespace vontal
