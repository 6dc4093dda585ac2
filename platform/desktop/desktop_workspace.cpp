#include "platform/desktop/desktop_workspace.h"

#include "platform/frontmost/silent_workspace.h"
#include "platform/gnome/gnome_workspace.h"
#include "platform/kde/kde_workspace.h"
#include "platform/wlroots/wlroots_workspace.h"
#include "platform/x11/x11_workspace.h"

#include <cstdlib>
#include <string_view>

namespace vontal {

namespace {

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

// One way of observing a Wayland desktop: a workspace, or null and the reason in `whyNot`. On the
// desktop it is made for (a name in XDG_CURRENT_DESKTOP; null: any), its reason is the one told.
struct WaylandObserver {
    std::unique_ptr<Workspace> (*connect)(Diagnostics&, std::string& whyNot);
    const char* desktop;
};

std::unique_ptr<Workspace> wlrootsObserver(Diagnostics& diagnostics, std::string& whyNot) {
    return WlrootsWorkspace::connect(diagnostics, nullptr, whyNot);
}

std::unique_ptr<Workspace> kdeObserver(Diagnostics& diagnostics, std::string& whyNot) {
    return KdeWorkspace::connect({}, diagnostics, whyNot);
}

std::unique_ptr<Workspace> gnomeObserver(Diagnostics& diagnostics, std::string& whyNot) {
    return GnomeWorkspace::connect({}, diagnostics, whyNot);
}

// Tried in order; the first that can observe this desktop wins. KWin and GNOME Shell do not offer
// the wlroots protocol, so a wlroots compositor never meets the KWin script or the Shell extension.
constexpr WaylandObserver kWaylandObservers[] = {
    {&wlrootsObserver, nullptr},
    {&kdeObserver, "KDE"},
    {&gnomeObserver, "GNOME"},
};

// What the user can do on this desktop.
std::string remedy(std::string_view desktop) {
    if (contains(desktop, "KDE"))
        return "on KDE Plasma names are sent once KWin runs vontal's script";
    if (contains(desktop, "GNOME"))
        return "on GNOME names are sent once vontal's GNOME Shell extension is switched on";
    return "names are sent on wlroots compositors such as sway, Hyprland, labwc, river, Wayfire "
           "and niri, and on X11 sessions";
}

std::unique_ptr<Workspace> makeWaylandWorkspace(Diagnostics& diagnostics) {
    const std::string desktop =
        desktopName(std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("XDG_SESSION_DESKTOP"));
    std::string whyNot;
    for (const auto& observer : kWaylandObservers) {
        std::string reason;
        if (auto workspace = observer.connect(diagnostics, reason))
            return workspace;
        if (whyNot.empty() || (observer.desktop != nullptr && contains(desktop, observer.desktop)))
            whyNot = reason;
    }
    diagnostics.line("Application activations are not observed on this desktop yet (Wayland "
                     "session on " +
                     desktop + ": " + whyNot + "; " + remedy(desktop) + ")");
    return std::make_unique<SilentWorkspace>(desktop);
}

} // namespace

bool isWaylandSession(const char* sessionType, const char* waylandDisplay) {
    const std::string_view type = sessionType != nullptr ? sessionType : "";
    if (type == "wayland")
        return true;
    if (type == "x11")
        return false;
    return waylandDisplay != nullptr && *waylandDisplay != '\0';
}

std::string desktopName(const char* currentDesktop, const char* sessionDesktop) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first ("ubuntu:GNOME").
    const std::string_view current = currentDesktop != nullptr ? currentDesktop : "";
    if (const auto first = current.substr(0, current.find(':')); !first.empty())
        return std::string(first);
    if (sessionDesktop != nullptr && *sessionDesktop != '\0')
        return sessionDesktop;
    return "an unknown compositor";
}

std::unique_ptr<Workspace> makeDesktopWorkspace(Diagnostics& diagnostics) {
    if (isWaylandSession(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY")))
        return makeWaylandWorkspace(diagnostics);
    if (auto workspace = X11Workspace::connect(diagnostics))
        return workspace;
    return std::make_unique<SilentWorkspace>(
        desktopName(std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("XDG_SESSION_DESKTOP")));
}

} // namespace vontal
