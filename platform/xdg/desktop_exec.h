#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vontal {

// The Exec key of a desktop entry, at the level of the Exec rules (the key-file string escapes
// on top of them are GKeyFile's business).

// One argument as it must appear in Exec: '%' doubled, and the whole argument put in double
// quotes, with '"', '`', '$' and '\' escaped, when it holds a reserved character or is empty.
std::string quoteExecArgument(std::string_view argument);

// The arguments of an Exec value, unquoted and with "%%" turned back into '%'; nothing when the
// quoting is broken. Field codes other than "%%" are left as they are.
std::optional<std::vector<std::string>> splitExec(const std::string& exec);

} // namespace vontal
