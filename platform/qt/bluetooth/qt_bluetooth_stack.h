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
    // Returns once what was asked of bluetoothd so far (the links a central dropped as it went)
    // has left this process: vontal may end right after, and the devices must see it.
    ~QtBluetoothStack() override;
    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) override;

private:
    Diagnostics& diagnostics_;
};

} // namespace vontal
