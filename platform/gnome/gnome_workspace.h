#pragma once

#include "platform/diagnostics.h"
#include "platform/frontmost/bus_reported_workspace.h"
#include "platform/gnome/shell_extension.h"

#include <QDBusConnection>
#include <memory>
#include <string>

namespace vontal {

// Application activations on GNOME Shell: vontal's Shell extension reports every change of the
// focused window to vontal's bus name, served by a BusReportedWorkspace that hears only the
// current owner of org.gnome.Shell. The extension runs only once the user switched it on; this
// workspace asks the Shell whether it is (again whenever the Shell starts anew) and says so.
class GnomeWorkspace final : public FrontmostWorkspace {
public:
    struct Setup {
        QDBusConnection bus = QDBusConnection::sessionBus();
        // For the reports; see BusReportedWorkspace::Setup.
        std::unique_ptr<ApplicationCatalog> catalog;
        std::unique_ptr<Timers> timers;
    };

    // Null when GNOME Shell is not on the session bus; `whyNot` then says so. While another
    // process holds vontal's bus name, the workspace posts once the name is vontal's. An extension
    // that is off still gives a workspace: it posts once the user switches the extension on.
    static std::unique_ptr<GnomeWorkspace> connect(Setup setup, Diagnostics& diagnostics,
                                                   std::string& whyNot);
    ~GnomeWorkspace() override;
    GnomeWorkspace(const GnomeWorkspace&) = delete;
    GnomeWorkspace& operator=(const GnomeWorkspace&) = delete;

    const std::shared_ptr<ShellExtension>& extension() const { return extension_; }
    // The extension follows vontal's name by itself: once vontal holds it, the extension reports
    // what is in front.
    const std::shared_ptr<BusNameClaim>& nameClaim() const { return reported_->nameClaim(); }

private:
    GnomeWorkspace(std::unique_ptr<BusReportedWorkspace> reported,
                   std::shared_ptr<ShellExtension> extension);
    std::unique_ptr<BusReportedWorkspace> reported_;
    std::shared_ptr<ShellExtension> extension_;
};

} // namespace vontal
