#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vontal {

class BusNameClaim;
class ShellExtension;

// What the desktop's observer brings for vontal's status line; each may be absent.
struct DesktopStatus {
    // vontal's claim on its bus name, where a desktop component reports over the bus.
    std::shared_ptr<BusNameClaim> busName;
    // vontal's GNOME Shell extension, on GNOME.
    std::shared_ptr<ShellExtension> extension;
    // Set when application activations cannot be observed on this desktop: its name.
    std::optional<std::string> unobservedDesktop;
};

} // namespace vontal
