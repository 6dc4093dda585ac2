#pragma once

// What a central shares with its peripherals and with the stack that made it.

#include "devicelink/bluetooth.h"
#include "platform/bluetooth_availability.h"
#include "platform/change_signal.h"
#include "platform/diagnostics.h"

#include <QBluetoothAddress>
#include <QObject>
#include <functional>
#include <memory>

namespace vontal {

class BluezClient;

// What the central learned about why Bluetooth is unavailable, shared with the stack that
// answers the window: the central lives in the device link, the window asks the stack.
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

// Every report to the device link goes through here: queued on the main thread, in order, never
// inside a call the device link made, and dropped once the central is gone.
class CallbackQueue {
public:
    void post(std::function<void()> callback) {
        if (context_)
            QMetaObject::invokeMethod(context_.get(), std::move(callback), Qt::QueuedConnection);
    }
    // Drops what is queued and everything posted later.
    void close() { context_.reset(); }

private:
    // Queued calls belong to this object; destroying it discards them.
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};

// What a peripheral shares with the central that reported it: where its reports go, which
// adapter it connects through and the central's way to bluetoothd. The central owns it; a
// peripheral that outlives the central finds it gone and reports nothing.
struct CentralLink {
    CentralLink(Central& central, CentralDelegate& delegate, Diagnostics& diagnostics)
        : central(central), delegate(delegate), diagnostics(diagnostics) {}

    Central& central;
    CentralDelegate& delegate;
    Diagnostics& diagnostics;
    CallbackQueue queue;
    QBluetoothAddress adapter;
    bool poweredOn = false;
    BluezClient* bluez = nullptr;
};

} // namespace vontal
