#include "bluez_object_tree.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <optional>
#include <vector>

namespace vontal {

namespace {

const QString kAdapterInterface = QStringLiteral("org.bluez.Adapter1");
const QString kDeviceInterface = QStringLiteral("org.bluez.Device1");
const QString kServiceInterface = QStringLiteral("org.bluez.GattService1");
const QString kCharacteristicInterface = QStringLiteral("org.bluez.GattCharacteristic1");

const QVariantMap* propertiesOf(const QMap<QString, QVariantMap>& interfaces,
                                const QString& interface) {
    const auto found = interfaces.find(interface);
    return found == interfaces.end() ? nullptr : &*found;
}

QString pathProperty(const QVariantMap& properties, const QString& name) {
    return properties.value(name).value<QDBusObjectPath>().path();
}

bool addressProperty(const QVariantMap& properties, const QBluetoothAddress& address) {
    const QBluetoothAddress value(properties.value(QStringLiteral("Address")).toString());
    return !value.isNull() && value == address;
}

std::optional<BluetoothUuid> uuidOf(const QVariantMap& properties) {
    return BluetoothUuid::parse(properties.value(QStringLiteral("UUID")).toString().toStdString());
}

// The one object that carries the interface and satisfies the test; empty when none or several.
template <typename Test>
QString onlyObject(const BluezObjects& objects, const QString& interface, Test test) {
    QString found;
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const QVariantMap* properties = propertiesOf(object.value(), interface);
        if (!properties || !test(*properties))
            continue;
        if (!found.isEmpty())
            return {};
        found = object.key().path();
    }
    return found;
}

} // namespace

BluezObjects bluezObjectsFrom(const QDBusMessage& reply) {
    BluezObjects objects;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1 ||
        reply.signature() != QStringLiteral("a{oa{sa{sv}}}"))
        return objects;
    reply.arguments().first().value<QDBusArgument>() >> objects;
    return objects;
}

std::map<BluetoothUuid, QString> characteristicPaths(const BluezObjects& objects,
                                                     const QBluetoothAddress& device,
                                                     const QBluetoothAddress& adapter,
                                                     const BluetoothUuid& service) {
    const QString devicePath =
        onlyObject(objects, kDeviceInterface, [&](const QVariantMap& properties) {
            if (!addressProperty(properties, device))
                return false;
            if (adapter.isNull())
                return true;
            const auto owner =
                objects.find(QDBusObjectPath(pathProperty(properties, QStringLiteral("Adapter"))));
            if (owner == objects.end())
                return false;
            const QVariantMap* adapterProperties = propertiesOf(owner.value(), kAdapterInterface);
            return adapterProperties && addressProperty(*adapterProperties, adapter);
        });
    if (devicePath.isEmpty())
        return {};
    const QString servicePath =
        onlyObject(objects, kServiceInterface, [&](const QVariantMap& properties) {
            return pathProperty(properties, QStringLiteral("Device")) == devicePath &&
                   uuidOf(properties) == service;
        });
    if (servicePath.isEmpty())
        return {};

    std::map<BluetoothUuid, QString> paths;
    std::vector<BluetoothUuid> repeated;
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const QVariantMap* properties = propertiesOf(object.value(), kCharacteristicInterface);
        if (!properties || pathProperty(*properties, QStringLiteral("Service")) != servicePath)
            continue;
        const auto uuid = uuidOf(*properties);
        if (!uuid)
            continue;
        if (!paths.emplace(*uuid, object.key().path()).second)
            repeated.push_back(*uuid);
    }
    for (const auto& uuid : repeated)
        paths.erase(uuid);
    return paths;
}

std::optional<int> characteristicMtu(const BluezObjects& objects, const QString& path) {
    const auto object = objects.find(QDBusObjectPath(path));
    if (object == objects.end())
        return std::nullopt;
    const QVariantMap* properties = propertiesOf(object.value(), kCharacteristicInterface);
    if (!properties)
        return std::nullopt;
    const QVariant mtu = properties->value(QStringLiteral("MTU"));
    // Sent as a D-Bus uint16; an ATT MTU is never below 23.
    bool ok = false;
    const int value = mtu.toInt(&ok);
    if (!ok || mtu.typeId() != QMetaType::UShort || value < 23)
        return std::nullopt;
    return value;
}

} // namespace vontal
