#pragma once

#include "alert_presenter.h"
#include "devicelink/bluetooth.h"
#include "diagnostics.h"
#include "main_queue.h"
#include "timers.h"
#include "user_defaults.h"
#include "workspace.h"

namespace vontal {

// The services the device link needs, chosen once by the application entry (or a test).
struct Platform {
    BluetoothStack& bluetooth;
    MainQueue& mainQueue;
    Timers& timers;
    Workspace& workspace;
    UserDefaults& defaults;
    AlertPresenter& alerts;
    Diagnostics& diagnostics;
};

} // namespace vontal
