#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vontal {

// A log line is read in a terminal or the journal, one event per line: a name or an error text
// from outside may be kilobytes long, so a line is kept to about a screenful.
inline constexpr std::size_t kLogLineCharacters = 1000;

// The line as it is written: control characters escaped (see control_characters.h), then, when it
// is longer than `limit` characters, cut after a whole character and ended in "…" so that it holds
// `limit` characters with the ellipsis. An escape ("\x1b", "\u202e") is never cut in two.
std::string logLine(std::string_view text, std::size_t limit = kLogLineCharacters);

} // namespace vontal
