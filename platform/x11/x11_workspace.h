#pragma once

#include "platform/diagnostics.h"
#include "platform/workspace.h"

#include <memory>
#include <optional>
#include <string>

namespace vontal {

// Application activations on an X11 desktop with an EWMH window manager. Watches
// _NET_ACTIVE_WINDOW on a connection of its own, served by the Qt event loop of the thread that
// creates it (the main thread), and posts one activation notification each time the front
// application changes, named after its desktop entry in the user's language.
class X11Workspace final : public Workspace {
public:
    // Connects to `displayName` (the DISPLAY variable when null). On failure writes one line to
    // `diagnostics` and returns null.
    static std::unique_ptr<X11Workspace> connect(Diagnostics& diagnostics,
                                                 const char* displayName = nullptr);
    ~X11Workspace() override;
    X11Workspace(const X11Workspace&) = delete;
    X11Workspace& operator=(const X11Workspace&) = delete;

    [[nodiscard]] Subscription
    observeActivations(std::function<void(const Notification&)> observer) override;
    std::shared_ptr<RunningApplication> frontmostApplication() const override;

    // Who is in front, as told apart for activations; nullopt when no application is (no window
    // has had the focus for a while).
    std::optional<std::string> frontApplication() const;

private:
    struct Impl;
    explicit X11Workspace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
