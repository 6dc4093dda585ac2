#pragma once

#include "platform/frontmost/application_catalog.h"
#include "platform/x11/window_facts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vontal {

// Finds the application a window belongs to. Dialogs count as their parent's, unless the parent
// tells nothing of its program (a toolkit's hidden group window): such a dialog speaks for
// itself. Then the desktop entry is looked for by WM_CLASS against StartupWMClass, by the class as
// a desktop id, by the GTK application id, by the KDE desktop file, by the process's executable,
// and through the client leader window. A window no entry claims is named after its WM_CLASS
// class (its instance when it has no class); one without WM_CLASS after its local process's
// executable. Only a window that tells none of these has no name.
class ApplicationResolver {
public:
    // Where a local process's executable lives (normally /proc/PID/exe); nullopt if unknown.
    using ExecutableOfPid = std::function<std::optional<std::string>(std::uint32_t pid)>;

    ApplicationResolver(ApplicationCatalog& catalog, ExecutableOfPid executableOfPid,
                        std::string localHostName, WindowId rootWindow);

    // nullopt when the window is already gone.
    std::optional<ResolvedApplication> resolve(WindowInspector& inspector, WindowId window);

    static std::optional<std::string> executableFromProc(std::uint32_t pid);

private:
    std::optional<CatalogEntry> entryFor(const WindowFacts& facts);
    std::optional<CatalogEntry> entryForProcess(const WindowFacts& facts);
    // The file name of the executable of the window's process, when it runs on this host.
    std::optional<std::string> localProgram(const WindowFacts& facts);

    ApplicationCatalog& catalog_;
    ExecutableOfPid executableOfPid_;
    std::string localHostName_;
    WindowId rootWindow_;
};

} // namespace vontal
