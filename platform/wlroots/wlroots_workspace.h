#pragma once

#include "platform/diagnostics.h"
#include "platform/frontmost/frontmost_engine.h"

#include <memory>
#include <string>

namespace vontal {

// Application activations on a wlroots compositor (sway, Hyprland, labwc, river, Wayfire, niri),
// through its foreign-toplevel manager on a Wayland connection of our own, served by the Qt event
// loop of the thread that creates it (the main thread). Posts one activation notification each
// time the front application changes, named after its desktop entry in the user's language.
class WlrootsWorkspace final : public FrontmostWorkspace {
public:
    // Connects to `displayName` (WAYLAND_DISPLAY when null). Null when the compositor cannot be
    // reached or does not offer the manager; `whyNot` then says which, and nothing is written.
    static std::unique_ptr<WlrootsWorkspace> connect(Diagnostics& diagnostics,
                                                     const char* displayName, std::string& whyNot);
    ~WlrootsWorkspace() override;
    WlrootsWorkspace(const WlrootsWorkspace&) = delete;
    WlrootsWorkspace& operator=(const WlrootsWorkspace&) = delete;

    // The manager version the compositor and we agreed on.
    unsigned protocolVersion() const;

private:
    struct Impl;
    explicit WlrootsWorkspace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
