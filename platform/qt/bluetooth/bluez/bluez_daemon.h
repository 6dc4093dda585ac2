#pragma once

// Qt Bluetooth talks to BlueZ over D-Bus for Bluetooth LE only when bluetoothd is 5.42 or newer;
// it learns the version by running the program that owns org.bluez with --version (or takes it
// from BLUETOOTH_FORCE_DBUS_LE_VERSION). Otherwise it falls back to raw kernel sockets, where
// every connection fails without a word. This says why, in one line a person can act on.

#include "platform/bluetooth_availability.h"

#include <QString>
#include <QVersionNumber>
#include <optional>
#include <string>

namespace vontal {

inline const QVersionNumber kOldestUsableBluez(5, 42);
// bluetoothd's name on the system bus.
inline const QString kBluezService = QStringLiteral("org.bluez");

// Whether bluetoothd holds org.bluez on the system bus.
bool bluezRunning();

// The version Qt Bluetooth will go by: the forced one if the environment forces one, otherwise
// what the running bluetoothd says. Nothing when it cannot be told.
std::optional<QVersionNumber> bluezVersion();

struct BluezProblem {
    // None when Bluetooth LE may still work (the version cannot be told).
    BluetoothProblem kind;
    std::string line;
};

// Nothing when bluetoothd is running and new enough.
std::optional<BluezProblem> bluezProblem();

} // namespace vontal
