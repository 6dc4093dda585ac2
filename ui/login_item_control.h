#pragma once

#include "platform/diagnostics.h"
#include "platform/login_item.h"

#include <string>

namespace vontal {

#include <optional>

// Registers (on) or unregisters (off) the login item named by the identifier. A failure is one
// diagnostic line and is returned; nothing is retried.
std::optional<LoginItemError> updateLoginItem(bool enabled, const std::string& identifier,
                                              LoginItemService& service, Diagnostics& diagnostics);

// Whether the service reports the item as enabled; every other status counts as off.
bool loginItemEnabled(const std::string& identifier, LoginItemService& service);

} // namespace vontal
