#pragma once

// bluetoothd's object tree as org.freedesktop.DBus.ObjectManager describes it, kept current from
// its signals, and what vontal looks up in it. Qt Bluetooth does not say which object a
// characteristic is; it is found here by the properties bluetoothd gives every object
// (Adapter1.Address, Device1.Address and Adapter, GattService1.Device and UUID,
// GattCharacteristic1.Service and UUID).

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <map>
#include <optional>

class QDBusMessage;

namespace vontal {

// The interfaces of bluetoothd's objects that vontal reads.
inline const QString kAdapterInterface = QStringLiteral("org.bluez.Adapter1");
inline const QString kDeviceInterface = QStringLiteral("org.bluez.Device1");
inline const QString kServiceInterface = QStringLiteral("org.bluez.GattService1");
inline const QString kCharacteristicInterface = QStringLiteral("org.bluez.GattCharacteristic1");

// Object path -> interface -> property -> value.
using BluezObjects = QMap<QDBusObjectPath, QMap<QString, QVariantMap>>;

// The tree a GetManagedObjects reply carries; empty for an error or an unexpected reply.
BluezObjects bluezObjectsFrom(const QDBusMessage& reply);

// What the object manager's InterfacesAdded and InterfacesRemoved and an object's
// PropertiesChanged say, applied to the tree. An object goes with its last interface; properties
// of an object or interface the tree does not have are dropped, as they belong to one it has not
// heard of yet.
void addInterfaces(BluezObjects& objects, const QString& path,
                   const QMap<QString, QVariantMap>& interfaces);
void removeInterfaces(BluezObjects& objects, const QString& path, const QStringList& interfaces);
void changeProperties(BluezObjects& objects, const QString& path, const QString& interface,
                      const QVariantMap& changed, const QStringList& invalidated);

struct BluezAdapter {
    QString path;
    QBluetoothAddress address;
    bool powered = false;
    bool operator==(const BluezAdapter&) const = default;
};

// The adapter object at `path`; nothing when there is none or it gives no address.
std::optional<BluezAdapter> adapterAt(const BluezObjects& objects, const QString& path);
// The first adapter by object path, as Qt lists them: hci0 before hci1.
std::optional<BluezAdapter> firstAdapter(const BluezObjects& objects);
// The object of the adapter with this address; empty when there is none.
QString adapterPath(const BluezObjects& objects, const QBluetoothAddress& address);

// The object paths of the characteristics of one service of one device, by characteristic UUID.
// Only what can be told apart is given: nothing when the device (on that adapter; a null adapter
// is any) or the service appears more than once, and no path for a UUID listed twice in the
// service.
std::map<BluetoothUuid, QString> characteristicPaths(const BluezObjects& objects,
                                                     const QBluetoothAddress& device,
                                                     const QBluetoothAddress& adapter,
                                                     const BluetoothUuid& service);

// The MTU property bluetoothd gives a characteristic object (BlueZ 5.62 and later): the ATT MTU
// of the device's link. Absent where it gives none.
std::optional<int> characteristicMtu(const BluezObjects& objects, const QString& path);

// The address of a device object (/org/bluez/hciN/dev_AA_BB_CC_DD_EE_FF) when the removed
// interfaces include Device1; nothing for adapters, GATT objects and anything else.
std::optional<QBluetoothAddress> removedDevice(const QString& path, const QStringList& interfaces);

} // namespace vontal
