#pragma once

// Conversions between Qt's Bluetooth types and the device link's. A peripheral's identifier is
// the platform's UUID where Qt gives one (macOS); on Linux Qt knows a device only by its address,
// which goes into the low 48 bits so that the last digits of a row label match what BlueZ tools
// show.

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>

namespace vontal {

BluetoothUuid fromQtUuid(const QBluetoothUuid& uuid);
QBluetoothUuid toQtUuid(const BluetoothUuid& uuid);

// 00:11:22:33:44:55 becomes 00000000-0000-0000-0000-001122334455.
BluetoothUuid identifierFromAddress(const QBluetoothAddress& address);
BluetoothUuid peripheralIdentifier(const QBluetoothDeviceInfo& info);

} // namespace vontal
