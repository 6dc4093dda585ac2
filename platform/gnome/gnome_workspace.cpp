#include "platform/gnome/gnome_workspace.h"

namespace vontal {

std::unique_ptr<GnomeWorkspace> GnomeWorkspace::connect(Setup setup, Diagnostics& diagnostics,
                                                        std::string& whyNot) {
    const QString shell = QString::fromLatin1(ShellExtension::kShellName);
    if (!BusReportedWorkspace::reporterRuns(setup.bus, shell, "GNOME Shell", whyNot))
        return nullptr;
    const QDBusConnection bus = setup.bus;
    auto reported = BusReportedWorkspace::create(
        {bus, shell, std::move(setup.catalog), std::move(setup.timers)}, diagnostics, whyNot);
    if (!reported)
        return nullptr;
    auto extension = std::make_shared<ShellExtension>(bus, diagnostics);
    extension->refresh();
    // A Shell that starts anew (a restart, the next login) may see the extension differently.
    reported->onReporterChanged([weak = std::weak_ptr<ShellExtension>(extension)](const QString&) {
        if (const auto extension = weak.lock())
            extension->refresh();
    });
    return std::unique_ptr<GnomeWorkspace>(
        new GnomeWorkspace(std::move(reported), std::move(extension)));
}

GnomeWorkspace::GnomeWorkspace(std::unique_ptr<BusReportedWorkspace> reported,
                               std::shared_ptr<ShellExtension> extension)
    : FrontmostWorkspace(reported->engine()), reported_(std::move(reported)),
      extension_(std::move(extension)) {}

GnomeWorkspace::~GnomeWorkspace() = default;

} // namespace vontal
