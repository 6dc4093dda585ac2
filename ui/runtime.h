#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/alert_presenter.h"
#include "platform/desktop/desktop_workspace.h"
#include "platform/login_item.h"
#include "platform/qt/services/qt_main_queue.h"
#include "platform/qt/services/qt_timers.h"
#include "platform/vault_backed_defaults.h"
#include "vontal_app.h"

#include <memory>

namespace vontal {

// What the manager runs on in this process, and the manager itself. Made when the first window's
// content is built; nothing here touches Bluetooth before then.
class Runtime final {
public:
    enum class Mode { System, Simulated };
    // The Bluetooth stack, and what it says about why Bluetooth is unavailable.
    struct Bluetooth {
        std::unique_ptr<BluetoothStack> stack;
        BluetoothAvailability* availability = nullptr;
    };

    // Password alerts go through `alerts`, which outlives the runtime.
    Runtime(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The manager, sharing this runtime's lifetime, and the status line's sources.
    static vontalApp::Made start(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts);

private:
    QtMainQueue mainQueue_;
    QtTimers timers_;
    Bluetooth bluetooth_;
    std::unique_ptr<UserDefaults> defaults_;
    // Device passwords in the desktop's keyring, over defaults_; none in a simulation.
    std::unique_ptr<PasswordVault> vault_;
    std::unique_ptr<VaultBackedDefaults> passwords_;
    DesktopObserver desktop_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<PeripheralManager> manager_;
};

} // namespace vontal

namespace vontal {

// The login items the windows' toggles act on.
std::unique_ptr<LoginItemService> makeLoginItemService(Runtime::Mode mode,
                                                       Diagnostics& diagnostics);

} // namespace vontal
