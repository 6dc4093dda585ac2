#pragma once

#include <string>
#include <string_view>

namespace vontal {

// ICCCM text properties of type STRING (WM_CLASS, WM_CLIENT_MACHINE) are ISO 8859-1; desktop
// entries and every name we hand on are UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace vontal
