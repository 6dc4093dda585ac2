#pragma once

#include "platform/diagnostics.h"
#include "platform/frontmost/bus_reported_workspace.h"

#include <QDBusConnection>
#include <QString>
#include <memory>
#include <string>

namespace vontal {

// Application activations on KDE Plasma (KWin 5.27 and Plasma 6): vontal's KWin script reports
// every change of the active window to vontal's bus name, served by a BusReportedWorkspace that
// hears only the current owner of org.kde.KWin. The script is loaded at the start, loaded again
// whenever KWin starts again, and unloaded when this workspace goes.
class KdeWorkspace final : public FrontmostWorkspace {
public:
    static constexpr const char* kKwinName = "org.kde.KWin";

    struct Setup {
        QDBusConnection bus = QDBusConnection::sessionBus();
        // The script's file; the installed one (findKwinScript()) when empty.
        QString script;
        // For the reports; see BusReportedWorkspace::Setup.
        std::unique_ptr<ApplicationCatalog> catalog;
        std::unique_ptr<Timers> timers;
    };

    // Null when KWin is not on the session bus, the script is not installed, or KWin does not
    // load the script; `whyNot` then says which, and nothing stays registered or loaded. While
    // another process holds vontal's bus name the script is loaded only once the name is ours.
    static std::unique_ptr<KdeWorkspace> connect(Setup setup, Diagnostics& diagnostics,
                                                 std::string& whyNot);
    ~KdeWorkspace() override;
    KdeWorkspace(const KdeWorkspace&) = delete;
    KdeWorkspace& operator=(const KdeWorkspace&) = delete;

    // The script reports to whoever holds vontal's name.
    const std::shared_ptr<BusNameClaim>& nameClaim() const;
    // How many times the script has been loaded (1 after the start, +1 per KWin restart).
    unsigned scriptLoads() const;

private:
    struct Impl;
    explicit KdeWorkspace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
