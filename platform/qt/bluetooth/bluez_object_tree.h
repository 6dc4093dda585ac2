#pragma once

// bluetoothd's object tree as org.freedesktop.DBus.ObjectManager.GetManagedObjects describes it,
// and where a connected device's characteristics sit in it. Qt Bluetooth does not say which
// object a characteristic is; it is found here by the properties bluetoothd gives every GATT
// object (Device1.Address and Adapter, GattService1.Device and UUID, GattCharacteristic1.Service
// and UUID).

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <map>
#include <optional>

class QDBusMessage;

namespace vontal {

// Object path -> interface -> property -> value.
using BluezObjects = QMap<QDBusObjectPath, QMap<QString, QVariantMap>>;

// The tree a GetManagedObjects reply carries; empty for an error or an unexpected reply.
BluezObjects bluezObjectsFrom(const QDBusMessage& reply);

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

} // namespace vontal
