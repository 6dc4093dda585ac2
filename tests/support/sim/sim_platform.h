#pragma once

#include "devicelink/platform.h"
#include "platform/sim/in_memory_user_defaults.h"
#include "platform/sim/sim_bluetooth_stack.h"
#include "tests/support/sim/recording_diagnostics.h"
#include "tests/support/sim/scripted_alert_presenter.h"
#include "tests/support/sim/scripted_workspace.h"
#include "tests/support/sim/virtual_clock.h"

namespace vontal {

// Everything the device link needs, simulated, in one object. The clock is declared first so
// that it outlives everything that queues on it.
class SimPlatform {
public:
    SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    VirtualClock clock;
    SimBluetoothStack bluetooth;
    ScriptedWorkspace workspace;
    InMemoryUserDefaults defaults;
    ScriptedAlertPresenter alerts;
    RecordingDiagnostics diagnostics;

    // Lives as long as this object; hand it to the manager.
    const Platform& platform() const { return platform_; }

private:
    Platform platform_;
};

} // namespace vontal
