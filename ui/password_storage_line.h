#pragma once

#include "platform/password_vault.h"

#include <QString>

namespace vontal {

// The status line's words for device passwords kept in the settings file instead of the
// desktop's keyring: why, and what the user can do about it.
QString passwordStorageLine(const VaultProblem& why);

} // namespace vontal
