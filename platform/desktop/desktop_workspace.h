#pragma once

#include "platform/desktop/desktop_status.h"
#include "platform/diagnostics.h"
#include "platform/workspace.h"

#include <memory>
#include <string>

namespace vontal {

// The observer of the desktop vontal runs on, and what it brings for the status line.
struct DesktopObserver {
    std::unique_ptr<Workspace> workspace;
    DesktopStatus status;
};

// Chosen by the session rather than by Qt's platform plugin (vontal's own window may be on
// Xwayland or offscreen). On an X11 session, the X11 observer. On a Wayland session, the first
// observer this desktop supports. Where activations cannot be observed it says so in one
// diagnostic line, naming the desktop, and gives a workspace that never posts and the desktop's
// name; everything else in vontal keeps working.
DesktopObserver makeDesktopObserver(Diagnostics& diagnostics);

// From XDG_SESSION_TYPE and WAYLAND_DISPLAY (either may be null). Under Wayland the X server, if
// any, is XWayland and only sees the windows of X11 programs, so its focus cannot be trusted.
bool isWaylandSession(const char* sessionType, const char* waylandDisplay);

// What the user would call this desktop, from XDG_CURRENT_DESKTOP and XDG_SESSION_DESKTOP (either
// may be null): the first name of the former, else the latter, else "an unknown compositor".
std::string desktopName(const char* currentDesktop, const char* sessionDesktop);

} // namespace vontal
