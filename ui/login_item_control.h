#pragma once

#include "platform/diagnostics.h"
#include "platform/login_item.h"

#include <string>

namespace vontal {

// Registers (on) or unregisters (off) the login item named by the identifier. A failure is one
// diagnostic line; nothing is retried and nothing is shown to the user.
void updateLoginItem(bool enabled, const std::string& identifier, LoginItemService& service,
                     Diagnostics& diagnostics);

// Whether the service reports the item as enabled; every other status counts as off.
bool loginItemEnabled(const std::string& identifier, LoginItemService& service);

} // namespace vontal
