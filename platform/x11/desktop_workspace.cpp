#include "platform/x11/desktop_workspace.h"

#include "platform/x11/silent_workspace.h"
#include "platform/x11/x11_workspace.h"

#include <cstdlib>
#include <string_view>

namespace vontal {

bool isWaylandSession(const char* sessionType, const char* waylandDisplay) {
    const std::string_view type = sessionType != nullptr ? sessionType : "";
    if (type == "wayland")
        return true;
    if (type == "x11")
        return false;
    return waylandDisplay != nullptr && *waylandDisplay != '\0';
}

std::unique_ptr<Workspace> makeDesktopWorkspace(Diagnostics& diagnostics) {
    if (isWaylandSession(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY"))) {
        diagnostics.line(
            "Application activations are not observed on this desktop yet (Wayland session)");
        return std::make_unique<SilentWorkspace>();
    }
    if (auto workspace = X11Workspace::connect(diagnostics))
        return workspace;
    return std::make_unique<SilentWorkspace>();
}

} // namespace vontal
