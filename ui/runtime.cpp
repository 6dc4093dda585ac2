#include "runtime.h"

#include "memory_login_items.h"
#include "platform/desktop/desktop_workspace.h"
#include "platform/qt/bluetooth/qt_bluetooth_stack.h"
#include "platform/qt/settings/settings_defaults.h"
#include "platform/secret/secret_service_vault.h"
#include "platform/sim/demo_devices.h"
#include "platform/sim/in_memory_user_defaults.h"
#include "platform/sim/sim_bluetooth_stack.h"
#include "platform/xdg/xdg_login_item_service.h"

namespace vontal {

namespace {

// Both stacks can say why Bluetooth is unavailable.
template <class Stack> Runtime::Bluetooth bluetoothOf(std::unique_ptr<Stack> stack) {
    BluetoothAvailability* availability = stack.get();
    return {std::move(stack), availability};
}

Runtime::Bluetooth makeBluetooth(Runtime::Mode mode, MainQueue& queue, Timers& timers,
                                 Diagnostics& diagnostics) {
    if (mode == Runtime::Mode::System)
        return bluetoothOf(std::make_unique<QtBluetoothStack>(diagnostics));
    auto stack = std::make_unique<SimBluetoothStack>(queue, timers);
    addDemoDevices(*stack);
    return bluetoothOf(std::move(stack));
}

// A simulation keeps its settings in memory: demo passwords never reach the user's file.
std::unique_ptr<UserDefaults> makeDefaults(Runtime::Mode mode, Diagnostics& diagnostics) {
    if (mode == Runtime::Mode::System)
        return std::make_unique<SettingsDefaults>(SettingsDefaults::defaultPath(), &diagnostics);
    return std::make_unique<InMemoryUserDefaults>();
}

// What the window calls the device whose password key this is: its row's label while it is
// listed, its custom name otherwise; nothing when vontal knows no name for it.
std::string shownName(const PeripheralManager& manager, const std::string& key) {
    for (const auto* list : {&manager.connectedPeripherals(), &manager.pendingPeripherals(),
                             &manager.discoveredPeripherals()})
        for (const PeripheralRef& peripheral : *list)
            if (PeripheralManager::passwordKey(*peripheral) == key)
                return manager.displayName(peripheral);
    for (const auto& [identifier, name] : manager.deviceNames())
        if (identifier.toString() == key)
            return name;
    return {};
}

} // namespace

Runtime::Runtime(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts)
    : bluetooth_(makeBluetooth(mode, mainQueue_, timers_, diagnostics)),
      defaults_(makeDefaults(mode, diagnostics)),
      // Where activations cannot be observed (no X display, a Wayland desktop without an
      // observer) the workspace never posts: a made-up activation would send a wrong name to
      // every connected device.
      desktop_(makeDesktopObserver(diagnostics)) {
    if (mode == Mode::System) {
        vault_ = std::make_unique<SecretServiceVault>();
        passwords_ =
            std::make_unique<VaultBackedDefaults>(*defaults_, *vault_, timers_, diagnostics);
    }
    UserDefaults& defaults = passwords_ ? *passwords_ : *defaults_;
    platform_ =
        std::make_unique<Platform>(Platform{*bluetooth_.stack, mainQueue_, timers_,
                                            *desktop_.workspace, defaults, alerts, diagnostics});
    manager_ = std::make_unique<PeripheralManager>(*platform_);
    if (passwords_)
        passwords_->setDeviceNameSource([manager = manager_.get()](const std::string& key) {
            return shownName(*manager, key);
        });
}

Runtime::~Runtime() = default;

vontalApp::Made Runtime::start(Mode mode, Diagnostics& diagnostics, AlertPresenter& alerts) {
    auto runtime = std::make_shared<Runtime>(mode, diagnostics, alerts);
    PeripheralManager* manager = runtime->manager_.get();
    // What the status line reads from the Bluetooth stack and the desktop.
    StatusSources sources{runtime->bluetooth_.availability, runtime->desktop_.status,
                          runtime->passwords_.get()};
    return {std::shared_ptr<PeripheralManager>(std::move(runtime), manager), std::move(sources)};
}

// A simulation never touches the user's autostart entries.
std::unique_ptr<LoginItemService> makeLoginItemService(Runtime::Mode mode,
                                                       Diagnostics& /*diagnostics*/) {
    if (mode == Runtime::Mode::System)
        return std::make_unique<XdgLoginItemService>(XdgLoginItemService::findInstalledHelper());
    return std::make_unique<MemoryLoginItemService>();
}

} // namespace vontal
