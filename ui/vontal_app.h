#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/diagnostics.h"
#include "platform/login_item.h"
#include "status_report.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

namespace vontal {

class MainWindow;

// The application: the one manager of the process, shared by every window, and the windows.
// Constructing it only records the manager's factory; the factory runs when the first window's
// content is built, so no Bluetooth central exists before a window does.
class vontalApp final {
public:
    // The manager, sharing the lifetime of whatever it runs on, and what the status line reads.
    struct Made {
        Made(std::shared_ptr<PeripheralManager> made, StatusSources why = {})
            : manager(std::move(made)), sources(std::move(why)) {}
        std::shared_ptr<PeripheralManager> manager;
        StatusSources sources;
    };
    using ManagerFactory = std::function<Made()>;

    // `quit` is what the windows' Quit does; by default it ends the event loop.
    vontalApp(ManagerFactory factory, LoginItemService& loginItems, Diagnostics& diagnostics,
              std::function<void()> quit = {});
    ~vontalApp();
    vontalApp(const vontalApp&) = delete;
    vontalApp& operator=(const vontalApp&) = delete;

    // The shared manager, made on first use.
    PeripheralManager& manager();
    bool hasManager() const { return manager_ != nullptr; }
    // What keeps vontal from doing its job, shared by the windows and the tray; made with the
    // manager.
    StatusReport& status();

    // Builds a window (and, the first time, the manager) and shows it.
    MainWindow* newWindow();
    // The open windows, oldest first.
    std::vector<MainWindow*> windows() const;
    // Brings the most recently used window forward; opens one if none is left.
    void bringForward();

private:
    ManagerFactory factory_;
    std::function<void()> quit_;
    LoginItemService& loginItems_;
    Diagnostics& diagnostics_;
    std::shared_ptr<PeripheralManager> manager_;
    std::unique_ptr<StatusReport> status_;
    std::vector<QPointer<MainWindow>> windows_;
};

} // namespace vontal
