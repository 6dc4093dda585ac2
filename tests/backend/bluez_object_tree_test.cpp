// Finding a device's characteristics in bluetoothd's object tree: by the properties of each
// object, never by guessing, and nothing where two objects would fit.

#include "platform/qt/bluetooth/bluez/bluez_object_tree.h"

#include <QDBusMessage>
#include <gtest/gtest.h>

namespace vontal {
namespace {

const BluetoothUuid kService = BluetoothUuid::fromString("837084C2-C091-41FF-A39F-4C43873CE2D5");
const BluetoothUuid kPassword = BluetoothUuid::fromString("B549B710-BFDE-44AB-A496-B8DFA77D606A");
const BluetoothUuid kData = BluetoothUuid::fromString("86EA8D4D-D290-41CB-83EF-172B10165725");
const BluetoothUuid kDeviceName = BluetoothUuid::fromString("5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01");
const QString kCccd = QStringLiteral("00002902-0000-1000-8000-00805f9b34fb");

const QBluetoothAddress kDesk(QStringLiteral("C0:FF:EE:00:00:01"));
const QBluetoothAddress kLamp(QStringLiteral("C0:FF:EE:00:00:02"));
const QBluetoothAddress kFirstAdapter(QStringLiteral("00:1A:7D:DA:71:13"));
const QBluetoothAddress kSecondAdapter(QStringLiteral("00:1A:7D:DA:71:14"));

QString text(const BluetoothUuid& uuid) {
    return QString::fromStdString(uuid.toString()).toLower();
}

// Builds a tree the way bluetoothd lays it out.
class Tree {
public:
    QString adapter(const QString& name, const QBluetoothAddress& address) {
        const QString path = QStringLiteral("/org/bluez/") + name;
        add(path, QStringLiteral("org.bluez.Adapter1"), {{"Address", address.toString()}});
        return path;
    }
    QString device(const QString& adapter, const QString& address) {
        const QString path =
            adapter + QStringLiteral("/dev_") + QString(address).toUpper().replace(':', '_');
        add(path, QStringLiteral("org.bluez.Device1"),
            {{"Address", address}, {"Adapter", QVariant::fromValue(QDBusObjectPath(adapter))}});
        return path;
    }
    QString service(const QString& device, const QString& uuid) {
        const QString path = device + QStringLiteral("/service%1").arg(next(), 4, 16, QChar('0'));
        add(path, QStringLiteral("org.bluez.GattService1"),
            {{"UUID", uuid}, {"Device", QVariant::fromValue(QDBusObjectPath(device))}});
        return path;
    }
    QString characteristic(const QString& service, const QString& uuid) {
        const QString path = service + QStringLiteral("/char%1").arg(next(), 4, 16, QChar('0'));
        add(path, QStringLiteral("org.bluez.GattCharacteristic1"),
            {{"UUID", uuid}, {"Service", QVariant::fromValue(QDBusObjectPath(service))}});
        return path;
    }
    QString descriptor(const QString& characteristic) {
        const QString path =
            characteristic + QStringLiteral("/desc%1").arg(next(), 4, 16, QChar('0'));
        add(path, QStringLiteral("org.bluez.GattDescriptor1"),
            {{"UUID", kCccd},
             {"Characteristic", QVariant::fromValue(QDBusObjectPath(characteristic))}});
        return path;
    }
    // A device of vontal's kind; its data characteristic's path is returned.
    QString vontalDevice(const QString& adapter, const QString& address) {
        const QString service = this->service(device(adapter, address), text(kService));
        characteristic(service, text(kPassword));
        const QString data = characteristic(service, text(kData));
        descriptor(data);
        descriptor(characteristic(service, text(kDeviceName)));
        return data;
    }

    BluezObjects objects;

private:
    void add(const QString& path, const QString& interface, const QVariantMap& properties) {
        objects[QDBusObjectPath(path)][interface] = properties;
        // Every object also has the standard interfaces, with no properties of interest.
        objects[QDBusObjectPath(path)][QStringLiteral("org.freedesktop.DBus.Introspectable")];
    }
    int next() { return ++handle_; }
    int handle_ = 0;
};

TEST(BluezObjectTree, EachCharacteristicOfTheServiceIsFoundOnItsOwnDevice) {
    Tree tree;
    const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
    const QString deskData = tree.vontalDevice(adapter, kDesk.toString());
    const QString lampData = tree.vontalDevice(adapter, kLamp.toString());
    // Another service of the desk with a characteristic of the same UUID stays apart.
    const QString deskPath = adapter + QStringLiteral("/dev_C0_FF_EE_00_00_01");
    tree.characteristic(
        tree.service(deskPath, QStringLiteral("0000180f-0000-1000-8000-00805f9b34fb")),
        text(kData));

    const auto desk = characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService);
    ASSERT_EQ(desk.size(), 3u);
    EXPECT_EQ(desk.at(kData), deskData);
    EXPECT_TRUE(desk.at(kPassword).startsWith(deskPath + QStringLiteral("/service")));
    EXPECT_TRUE(desk.at(kDeviceName).startsWith(deskPath + QStringLiteral("/service")));
    EXPECT_NE(desk.at(kPassword), desk.at(kDeviceName));
    EXPECT_EQ(characteristicPaths(tree.objects, kLamp, kFirstAdapter, kService).at(kData),
              lampData);
    // Without an adapter named, a device known to one adapter is found all the same.
    EXPECT_EQ(characteristicPaths(tree.objects, kDesk, QBluetoothAddress(), kService).at(kData),
              deskData);
}

TEST(BluezObjectTree, UuidsAndAddressesCompareAsValuesNotAsText) {
    Tree tree;
    const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
    const QString device = tree.device(adapter, QStringLiteral("c0:ff:ee:00:00:01"));
    const QString service = tree.service(device, text(kService).toUpper());
    const QString data = tree.characteristic(service, text(kData).toUpper());
    // A short-form UUID as some stacks give it.
    const QString battery = tree.characteristic(service, QStringLiteral("2a19"));

    const auto paths = characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService);
    EXPECT_EQ(paths.at(kData), data);
    EXPECT_EQ(paths.at(*BluetoothUuid::parse("2A19")), battery);
}

TEST(BluezObjectTree, WhatCannotBeToldApartIsNotGuessed) {
    {
        // The data characteristic listed twice: no path for it, the others still found.
        Tree tree;
        const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
        const QString service =
            tree.service(tree.device(adapter, kDesk.toString()), text(kService));
        tree.characteristic(service, text(kData));
        const QString password = tree.characteristic(service, text(kPassword));
        tree.characteristic(service, text(kData));
        const auto paths = characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService);
        EXPECT_EQ(paths.count(kData), 0u);
        EXPECT_EQ(paths.at(kPassword), password);
    }
    {
        // The service listed twice: nothing.
        Tree tree;
        const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
        const QString device = tree.device(adapter, kDesk.toString());
        tree.characteristic(tree.service(device, text(kService)), text(kData));
        tree.characteristic(tree.service(device, text(kService)), text(kPassword));
        EXPECT_TRUE(characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService).empty());
    }
    {
        // The same device seen by two adapters: only the adapter tells which one.
        Tree tree;
        const QString first = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
        const QString second = tree.adapter(QStringLiteral("hci1"), kSecondAdapter);
        const QString firstData = tree.vontalDevice(first, kDesk.toString());
        const QString secondData = tree.vontalDevice(second, kDesk.toString());
        EXPECT_EQ(characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService).at(kData),
                  firstData);
        EXPECT_EQ(characteristicPaths(tree.objects, kDesk, kSecondAdapter, kService).at(kData),
                  secondData);
        EXPECT_TRUE(
            characteristicPaths(tree.objects, kDesk, QBluetoothAddress(), kService).empty());
    }
}

TEST(BluezObjectTree, AnUnknownDeviceServiceOrAdapterGivesNothing) {
    Tree tree;
    const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
    tree.vontalDevice(adapter, kDesk.toString());
    EXPECT_TRUE(characteristicPaths(tree.objects, kLamp, kFirstAdapter, kService).empty());
    EXPECT_TRUE(characteristicPaths(tree.objects, kDesk, kSecondAdapter, kService).empty());
    EXPECT_TRUE(characteristicPaths(tree.objects, kDesk, kFirstAdapter, kData).empty());
    EXPECT_TRUE(characteristicPaths({}, kDesk, kFirstAdapter, kService).empty());
}

TEST(BluezObjectTree, AnErrorInsteadOfTheTreeIsAnEmptyTree) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.bluez"), QStringLiteral("/"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    EXPECT_TRUE(
        bluezObjectsFrom(call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
                                               QStringLiteral("no answer")))
            .isEmpty());
    // A reply of another shape, as a stand-in that is not bluetoothd might give.
    EXPECT_TRUE(bluezObjectsFrom(call.createReply(QVariantList{QStringLiteral("/")})).isEmpty());
}

} // namespace
} // namespace vontal

namespace vontal {
namespace {

TEST(BluezDeviceRemovals, OnlyARemovedDeviceObjectNamesADevice) {
    const QStringList device{QStringLiteral("org.freedesktop.DBus.Properties"),
                             QStringLiteral("org.bluez.Device1")};
    EXPECT_EQ(removedDevice(QStringLiteral("/org/bluez/hci1/dev_4A_00_00_00_0B_2c"), device),
              QBluetoothAddress(QStringLiteral("4A:00:00:00:0B:2C")));
    // A GATT object of the device, the adapter, or the device keeping its Device1 interface.
    EXPECT_FALSE(
        removedDevice(QStringLiteral("/org/bluez/hci0/dev_C0_FF_EE_00_00_01/service0001"), device));
    EXPECT_FALSE(
        removedDevice(QStringLiteral("/org/bluez/hci0"), {QStringLiteral("org.bluez.Adapter1")}));
    EXPECT_FALSE(removedDevice(QStringLiteral("/org/bluez/hci0/dev_C0_FF_EE_00_00_01"),
                               {QStringLiteral("org.bluez.Battery1")}));
    EXPECT_FALSE(removedDevice(QStringLiteral("/org/bluez/hci0/dev_C0_FF_EE_00_01"), device));
}

} // namespace
} // namespace vontal

namespace vontal {
namespace {

TEST(BluezObjectTree, TheFirstAdapterByPathIsTakenAndOneWithoutAnAddressIsNone) {
    Tree tree;
    tree.adapter(QStringLiteral("hci1"), kSecondAdapter);
    const QString first = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
    const QString device = tree.device(first, kDesk.toString());
    changeProperties(tree.objects, first, QStringLiteral("org.bluez.Adapter1"),
                     {{QStringLiteral("Powered"), true}}, {});

    const auto adapter = firstAdapter(tree.objects);
    ASSERT_TRUE(adapter);
    EXPECT_EQ(adapter->path, first);
    EXPECT_EQ(adapter->address, kFirstAdapter);
    EXPECT_TRUE(adapter->powered);
    EXPECT_FALSE(adapterAt(tree.objects, QStringLiteral("/org/bluez/hci1"))->powered);
    EXPECT_EQ(adapterPath(tree.objects, kSecondAdapter), QStringLiteral("/org/bluez/hci1"));
    EXPECT_TRUE(adapterPath(tree.objects, kDesk).isEmpty());
    EXPECT_FALSE(adapterAt(tree.objects, device));
    EXPECT_FALSE(adapterAt(tree.objects, QStringLiteral("/org/bluez/hci7")));

    // An adapter that gives no address is passed over.
    changeProperties(tree.objects, first, QStringLiteral("org.bluez.Adapter1"), {},
                     {QStringLiteral("Address")});
    EXPECT_FALSE(adapterAt(tree.objects, first));
    EXPECT_EQ(firstAdapter(tree.objects)->path, QStringLiteral("/org/bluez/hci1"));
}

TEST(BluezObjectTree, SignalsKeepTheTreeAsBluetoothdHasIt) {
    Tree tree;
    const QString adapter = tree.adapter(QStringLiteral("hci0"), kFirstAdapter);
    const QString data = tree.vontalDevice(adapter, kDesk.toString());
    const QString characteristic = QStringLiteral("org.bluez.GattCharacteristic1");

    // A property comes, changes and goes.
    changeProperties(tree.objects, data, characteristic,
                     {{QStringLiteral("MTU"), QVariant::fromValue<ushort>(185)}}, {});
    EXPECT_EQ(characteristicMtu(tree.objects, data), 185);
    changeProperties(tree.objects, data, characteristic,
                     {{QStringLiteral("MTU"), QVariant::fromValue<ushort>(23)}}, {});
    EXPECT_EQ(characteristicMtu(tree.objects, data), 23);
    changeProperties(tree.objects, data, characteristic, {}, {QStringLiteral("MTU")});
    EXPECT_FALSE(characteristicMtu(tree.objects, data));

    // What belongs to an object or interface not in the tree makes none.
    const BluezObjects before = tree.objects;
    changeProperties(tree.objects, data + QStringLiteral("/desc0099"), characteristic,
                     {{QStringLiteral("MTU"), QVariant::fromValue<ushort>(185)}}, {});
    changeProperties(tree.objects, data, QStringLiteral("org.bluez.Battery1"),
                     {{QStringLiteral("Percentage"), 50}}, {});
    removeInterfaces(tree.objects, QStringLiteral("/org/bluez/hci9"),
                     {QStringLiteral("org.bluez.Adapter1")});
    addInterfaces(tree.objects, QStringLiteral("/org/bluez/hci9"), {});
    EXPECT_EQ(tree.objects, before);

    // A device that loses its Device1 is no longer found; its object goes with its last
    // interface, and comes back when it is added again.
    const QString device = adapter + QStringLiteral("/dev_C0_FF_EE_00_00_01");
    removeInterfaces(tree.objects, device, {QStringLiteral("org.bluez.Device1")});
    EXPECT_TRUE(characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService).empty());
    EXPECT_TRUE(tree.objects.contains(QDBusObjectPath(device)));
    removeInterfaces(tree.objects, device, {QStringLiteral("org.freedesktop.DBus.Introspectable")});
    EXPECT_FALSE(tree.objects.contains(QDBusObjectPath(device)));
    addInterfaces(tree.objects, device,
                  {{QStringLiteral("org.bluez.Device1"),
                    {{QStringLiteral("Address"), kDesk.toString()},
                     {QStringLiteral("Adapter"), QVariant::fromValue(QDBusObjectPath(adapter))}}}});
    EXPECT_EQ(characteristicPaths(tree.objects, kDesk, kFirstAdapter, kService).at(kData), data);

    // Added to an object that is there, an interface joins the ones it has.
    addInterfaces(tree.objects, adapter,
                  {{QStringLiteral("org.bluez.Battery1"), {{QStringLiteral("Percentage"), 50}}}});
    EXPECT_EQ(adapterAt(tree.objects, adapter)->address, kFirstAdapter);
    EXPECT_EQ(tree.objects[QDBusObjectPath(adapter)].size(), 3);
}

} // namespace
} // namespace vontal
