#include "bluez_object_tree.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QRegularExpression>
#include <optional>
#include <vector>

namespace vontal {

namespace {

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

void addInterfaces(BluezObjects& objects, const QString& path,
                   const QMap<QString, QVariantMap>& interfaces) {
    if (interfaces.isEmpty())
        return;
    QMap<QString, QVariantMap>& object = objects[QDBusObjectPath(path)];
    for (auto interface = interfaces.begin(); interface != interfaces.end(); ++interface)
        object[interface.key()] = interface.value();
}

void removeInterfaces(BluezObjects& objects, const QString& path, const QStringList& interfaces) {
    const auto object = objects.find(QDBusObjectPath(path));
    if (object == objects.end())
        return;
    for (const QString& interface : interfaces)
        object->remove(interface);
    if (object->isEmpty())
        objects.erase(object);
}

void changeProperties(BluezObjects& objects, const QString& path, const QString& interface,
                      const QVariantMap& changed, const QStringList& invalidated) {
    const auto object = objects.find(QDBusObjectPath(path));
    if (object == objects.end())
        return;
    const auto properties = object->find(interface);
    if (properties == object->end())
        return;
    for (auto property = changed.begin(); property != changed.end(); ++property)
        properties->insert(property.key(), property.value());
    for (const QString& name : invalidated)
        properties->remove(name);
}

std::optional<BluezAdapter> adapterAt(const BluezObjects& objects, const QString& path) {
    const auto object = objects.find(QDBusObjectPath(path));
    if (object == objects.end())
        return std::nullopt;
    const QVariantMap* properties = propertiesOf(object.value(), kAdapterInterface);
    if (!properties)
        return std::nullopt;
    const QBluetoothAddress address(properties->value(QStringLiteral("Address")).toString());
    if (address.isNull())
        return std::nullopt;
    return BluezAdapter{path, address, properties->value(QStringLiteral("Powered")).toBool()};
}

std::optional<BluezAdapter> firstAdapter(const BluezObjects& objects) {
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        if (auto adapter = adapterAt(objects, object.key().path()))
            return adapter;
    }
    return std::nullopt;
}

QString adapterPath(const BluezObjects& objects, const QBluetoothAddress& address) {
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const auto adapter = adapterAt(objects, object.key().path());
        if (adapter && adapter->address == address)
            return adapter->path;
    }
    return {};
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

std::optional<QBluetoothAddress> removedDevice(const QString& path, const QStringList& interfaces) {
    static const QRegularExpression devicePath(
        QStringLiteral("^/org/bluez/[^/]+/dev_([0-9A-Fa-f]{2}(?:_[0-9A-Fa-f]{2}){5})$"));
    if (!interfaces.contains(kDeviceInterface))
        return std::nullopt;
    const QRegularExpressionMatch match = devicePath.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    return QBluetoothAddress(match.captured(1).replace(QLatin1Char('_'), QLatin1Char(':')));
}

} // namespace vontal
