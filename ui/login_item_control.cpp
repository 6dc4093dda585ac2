#include "login_item_control.h"

namespace vontal {

std::optional<LoginItemError> updateLoginItem(bool enabled, const std::string& identifier,
                                              LoginItemService& service, Diagnostics& diagnostics) {
    const auto item = service.loginItemServiceWithIdentifier(identifier);
    const auto error = enabled ? item->registerItem() : item->unregisterItem();
    if (error)
        diagnostics.line(
            (enabled ? "Failed to register login item: " : "Failed to unregister login item: ") +
            error->description);
    return error;
}

bool loginItemEnabled(const std::string& identifier, LoginItemService& service) {
    return service.loginItemServiceWithIdentifier(identifier)->status() == LoginItemStatus::Enabled;
}

} // namespace vontal
