#pragma once

#include "platform/diagnostics.h"
#include "platform/login_item.h"

#include <optional>
#include <string>

namespace vontal {

// Registers (on) or unregisters (off) the login item named by the identifier. A failure is one
// diagnostic line and is returned; nothing is retried.
inline std::optional<LoginItemError> updateLoginItem(bool enabled, const std::string& identifier,
                                                     LoginItemService& service,
                                                     Diagnostics& diagnostics) {
    const auto item = service.loginItemServiceWithIdentifier(identifier);
    const auto error = enabled ? item->registerItem() : item->unregisterItem();
    if (error)
        diagnostics.line(
            (enabled ? "Failed to register login item: " : "Failed to unregister login item: ") +
            error->description);
    return error;
}

// Whether the service reports the item as enabled; every other status counts as off.
inline bool loginItemEnabled(const std::string& identifier, LoginItemService& service) {
    return service.loginItemServiceWithIdentifier(identifier)->status() == LoginItemStatus::Enabled;
}

} // namespace vontal
