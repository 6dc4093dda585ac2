#pragma once

#include "devicelink/bluetooth.h"
#include "platform/alert_presenter.h"
#include "platform/diagnostics.h"
#include "platform/main_queue.h"
#include "platform/timers.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"

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
