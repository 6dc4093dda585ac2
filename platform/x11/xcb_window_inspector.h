#pragma once

#include "platform/x11/window_facts.h"

#include <optional>
#include <xcb/xcb.h>

namespace vontal {

// The atoms we read that the core protocol does not predefine.
struct XcbAtoms {
    xcb_atom_t netActiveWindow = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t kdeNetWmDesktopFile = XCB_ATOM_NONE;
    xcb_atom_t wmClientLeader = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE;

    // nullopt if the connection failed on the way.
    static std::optional<XcbAtoms> intern(xcb_connection_t* connection);
};

// Reads window properties over an xcb connection, all requests of one window in one round trip.
class XcbWindowInspector final : public WindowInspector {
public:
    XcbWindowInspector(xcb_connection_t* connection, const XcbAtoms& atoms)
        : connection_(connection), atoms_(atoms) {}

    std::optional<WindowFacts> facts(WindowId window) override;

    // _NET_ACTIVE_WINDOW of the root window: 0 when no window has the focus (or the property is
    // missing), nullopt if the read failed.
    std::optional<WindowId> activeWindow(WindowId root);

private:
    xcb_connection_t* connection_;
    XcbAtoms atoms_;
};

} // namespace vontal
