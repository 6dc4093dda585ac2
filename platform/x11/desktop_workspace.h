#pragma once

#include "platform/diagnostics.h"
#include "platform/workspace.h"

#include <memory>

namespace vontal {

// The workspace of the desktop vontal runs on: the X11 watcher on an X11 session. Where
// activations cannot be observed (a Wayland session, no X display) it says so in one diagnostic
// line and returns a workspace that never posts; everything else in vontal keeps working.
std::unique_ptr<Workspace> makeDesktopWorkspace(Diagnostics& diagnostics);

// From XDG_SESSION_TYPE and WAYLAND_DISPLAY (either may be null). Under Wayland the X server, if
// any, is XWayland and only sees the windows of X11 programs, so its focus cannot be trusted.
bool isWaylandSession(const char* sessionType, const char* waylandDisplay);

} // namespace vontal
