#pragma once

#include "platform/change_signal.h"

#include <functional>
#include <optional>
#include <string>

namespace vontal {

// What keeps the Bluetooth stack from scanning, as far as the stack can tell, most basic first.
enum class BluetoothProblem {
    None,
    NoSystemBus,  // the D-Bus system bus cannot be reached
    BluezMissing, // bluetoothd is not on the system bus
    BluezTooOld,  // bluetoothd is too old for Bluetooth LE through D-Bus
    NoAdapter,    // bluetoothd runs but has no adapter
    AdapterOff,   // the adapter is switched off
    // bluetoothd has not yet said what adapters it has: moments at most, nothing wrong so far.
    BluezNotAnsweredYet,
    // bluetoothd holds its name but did not answer in time.
    BluezNotAnswering,
};

// Why Bluetooth is unavailable, for the window: the device link only hears the central's state,
// which cannot tell a missing daemon from a missing adapter.
class BluetoothAvailability {
public:
    virtual ~BluetoothAvailability() = default;

    virtual BluetoothProblem problem() const = 0;
    // Told after problem() changed.
    virtual ChangeSignal& availabilityChanged() = 0;
    // Asks for the adapter to be switched on. `done` runs later, on the main thread, with nothing
    // when the request was accepted and otherwise the reason it was refused; the new state arrives
    // through availabilityChanged().
    virtual void switchAdapterOn(std::function<void(std::optional<std::string> whyNot)> done) = 0;
};

} // namespace vontal
