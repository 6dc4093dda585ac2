#pragma once

// What the central learned about why Bluetooth is unavailable, shared with the stack that
// answers the window: the central lives in the device link, the window asks the stack.

#include "platform/bluetooth_availability.h"
#include "platform/change_signal.h"

#include <QBluetoothAddress>

namespace vontal {

struct AvailabilityReport {
    BluetoothProblem problem = BluetoothProblem::None;
    // The adapter the central uses; null while there is none.
    QBluetoothAddress adapter;
    ChangeSignal changed;

    void set(BluetoothProblem now, const QBluetoothAddress& adapterNow) {
        adapter = adapterNow;
        if (now == problem)
            return;
        problem = now;
        changed.fire();
    }
};

} // namespace vontal
