#pragma once

// Straight calls to bluetoothd for what Qt Bluetooth does slowly. Before each characteristic
// write, Qt's BlueZ backend asks bluetoothd for the UUID of every characteristic it passes on the
// way to the one written, a blocking D-Bus round trip each, so a name sent to several devices
// reaches them one lookup chain after another. A write without response sent here goes to the
// characteristic's object at once and waits for nothing.

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <optional>

class QObject;

namespace vontal {

// How long bluetoothd may take to describe its objects before Qt's way is used instead.
inline constexpr std::chrono::milliseconds kObjectLookupTimeout{3000};

// Asks bluetoothd, without waiting, where the characteristics of one service of a device are
// (see characteristicPaths), and the link's ATT MTU as it gives it on them. `found` gets the
// answer, empty if none came in time; it is not called once `context` is gone.
void lookUpCharacteristicPaths(
    QObject* context, const QBluetoothAddress& device, const QBluetoothAddress& adapter,
    const BluetoothUuid& service,
    std::function<void(std::map<BluetoothUuid, QString>, std::optional<int> mtu)> found);

// Sends the bytes as a write without response (WriteValue with type "command") to the
// characteristic object at `path`. Nothing blocks on it; bluetoothd answers once it has queued the
// write to the link, and `answered` gets that answer: nothing, or the description of why it could
// not send it (too long for the link, say), unless `context` is gone.
void writeCommand(QObject* context, const QString& path, const QByteArray& value,
                  std::function<void(const std::optional<QString>& failure)> answered);

} // namespace vontal
