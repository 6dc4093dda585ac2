#pragma once

// What a peripheral shares with the central that reported it: where its reports go, which
// adapter it connects through and the central's way to bluetoothd. The central owns it; a
// peripheral that outlives the central finds it gone and reports nothing.

#include "callback_queue.h"
#include "devicelink/bluetooth.h"
#include "platform/diagnostics.h"

#include <QBluetoothAddress>

namespace vontal {

class BluezClient;

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
