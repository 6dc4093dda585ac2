#pragma once

// The real Bluetooth LE stack: Qt Bluetooth, which on Linux talks to BlueZ over D-Bus. Needs a
// running QCoreApplication; every report arrives through its event loop on the main thread.

#include "central_link.h"
#include "devicelink/bluetooth.h"
#include "platform/bluetooth_availability.h"
#include "platform/diagnostics.h"

namespace vontal {

// It also tells the window why Bluetooth is unavailable, as its newest central found it, and
// switches the adapter on through BlueZ's Adapter1.Powered when asked.
class QtBluetoothStack final : public BluetoothStack, public BluetoothAvailability {
public:
    // Diagnostics hears, in one line, when bluetoothd is missing or too old for Qt Bluetooth.
    explicit QtBluetoothStack(Diagnostics& diagnostics);
    // Returns once what was asked of bluetoothd so far (the links a central dropped as it went)
    // has left this process: vontal may end right after, and the devices must see it.
    ~QtBluetoothStack() override;
    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) override;

    // BluetoothAvailability
    BluetoothProblem problem() const override { return availability_->problem; }
    ChangeSignal& availabilityChanged() override { return availability_->changed; }
    void switchAdapterOn(std::function<void(std::optional<std::string>)> done) override;

private:
    Diagnostics& diagnostics_;
    std::shared_ptr<AvailabilityReport> availability_ = std::make_shared<AvailabilityReport>();
};

} // namespace vontal
