#pragma once

#include <cstddef>
#include <string_view>

namespace vontal {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The longest start of valid UTF-8 text that has at most `maxBytes` bytes and ends on a whole
// character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

} // namespace vontal
