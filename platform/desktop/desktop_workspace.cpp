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

// One way of observing a Wayland desktop: an observer, or none and the reason in `whyNot`. On the
// desktop it is made for (a name in XDG_CURRENT_DESKTOP; null: any), its reason is the one told.
struct WaylandObserver {
    DesktopObserver (*connect)(Diagnostics&, std::string& whyNot);
    const char* desktop;
};

DesktopObserver wlrootsObserver(Diagnostics& diagnostics, std::string& whyNot) {
    return {WlrootsWorkspace::connect(diagnostics, nullptr, whyNot), {}};
}

DesktopObserver kdeObserver(Diagnostics& diagnostics, std::string& whyNot) {
    auto workspace = KdeWorkspace::connect({}, diagnostics, whyNot);
    if (!workspace)
        return {};
    DesktopStatus status{workspace->nameClaim(), nullptr, std::nullopt};
    return {std::move(workspace), std::move(status)};
}

DesktopObserver gnomeObserver(Diagnostics& diagnostics, std::string& whyNot) {
    auto workspace = GnomeWorkspace::connect({}, diagnostics, whyNot);
    if (!workspace)
        return {};
    DesktopStatus status{workspace->nameClaim(), workspace->extension(), std::nullopt};
    return {std::move(workspace), std::move(status)};
}

DesktopObserver silentObserver(const std::string& desktop) {
    return {std::make_unique<SilentWorkspace>(), {nullptr, nullptr, desktop}};
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

DesktopObserver makeWaylandObserver(Diagnostics& diagnostics) {
    const std::string desktop =
        desktopName(std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("XDG_SESSION_DESKTOP"));
    std::string whyNot;
    for (const auto& observer : kWaylandObservers) {
        std::string reason;
        if (auto made = observer.connect(diagnostics, reason); made.workspace)
            return made;
        if (whyNot.empty() || (observer.desktop != nullptr && contains(desktop, observer.desktop)))
            whyNot = reason;
    }
    diagnostics.line("Application activations are not observed on this desktop yet (Wayland "
                     "session on " +
                     desktop + ": " + whyNot + "; " + remedy(desktop) + ")");
    return silentObserver(desktop);
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

DesktopObserver makeDesktopObserver(Diagnostics& diagnostics) {
    if (isWaylandSession(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY")))
        return makeWaylandObserver(diagnostics);
    if (auto workspace = X11Workspace::connect(diagnostics))
        return {std::move(workspace), {}};
    return silentObserver(
        desktopName(std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("XDG_SESSION_DESKTOP")));
}

} // namespace vontal
