#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vontal {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The longest start of valid UTF-8 text that has at most `maxBytes` bytes and ends on a whole
// character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

// Device names come from the air. An attribute value holds at most this many bytes, and no name
// longer than that is kept, shown or logged.
inline constexpr std::size_t kMaxNameBytes = 512;
inline std::string boundedName(std::string_view name) {
    return std::string(utf8Prefix(name, kMaxNameBytes));
}

} // namespace vontal
