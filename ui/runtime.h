#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/alert_presenter.h"
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

    // Password alerts go through `alerts`, which outlives the runtime.
    Runtime(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    PeripheralManager& manager() { return *manager_; }
    // What the status line reads from the Bluetooth stack and the desktop.
    StatusSources statusSources() const;

    // The manager, sharing this runtime's lifetime, and the status line's sources.
    static vontalApp::Made start(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts);

private:
    QtMainQueue mainQueue_;
    QtTimers timers_;
    std::unique_ptr<BluetoothStack> bluetooth_;
    BluetoothAvailability* availability_ = nullptr;
    std::unique_ptr<UserDefaults> defaults_;
    // Device passwords in the desktop's keyring, over defaults_; none in a simulation.
    std::unique_ptr<PasswordVault> vault_;
    std::unique_ptr<VaultBackedDefaults> passwords_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<PeripheralManager> manager_;
};

} // namespace vontal

namespace vontal {

// The login items the windows' toggles act on.
std::unique_ptr<LoginItemService> makeLoginItemService(Runtime::Mode mode,
                                                       Diagnostics& diagnostics);

} // namespace vontal
