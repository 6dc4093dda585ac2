#pragma once

#include "platform/diagnostics.h"
#include "platform/frontmost/frontmost_engine.h"

#include <memory>

namespace vontal {

// Application activations on an X11 desktop with an EWMH window manager. Watches
// _NET_ACTIVE_WINDOW on a connection of its own, served by the Qt event loop of the thread that
// creates it (the main thread), and posts one activation notification each time the front
// application changes, named after its desktop entry in the user's language.
class X11Workspace final : public FrontmostWorkspace {
public:
    // Connects to `displayName` (the DISPLAY variable when null). On failure writes one line to
    // `diagnostics` and returns null.
    static std::unique_ptr<X11Workspace> connect(Diagnostics& diagnostics,
                                                 const char* displayName = nullptr);
    ~X11Workspace() override;
    X11Workspace(const X11Workspace&) = delete;
    X11Workspace& operator=(const X11Workspace&) = delete;

private:
    struct Impl;
    explicit X11Workspace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
