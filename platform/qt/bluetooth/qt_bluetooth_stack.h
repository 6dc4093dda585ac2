#pragma once

// The real Bluetooth LE stack: Qt Bluetooth, which on Linux talks to BlueZ over D-Bus. Needs a
// running QCoreApplication; every report arrives through its event loop on the main thread.

#include "devicelink/bluetooth.h"
#include "platform/diagnostics.h"

namespace vontal {

class QtBluetoothStack final : public BluetoothStack {
public:
    // Diagnostics hears, in one line, when bluetoothd is missing or too old for Qt Bluetooth.
    explicit QtBluetoothStack(Diagnostics& diagnostics);
    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) override;

private:
    Diagnostics& diagnostics_;
};

} // namespace vontal
