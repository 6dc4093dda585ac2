#pragma once

#include <string>
#include <string_view>

namespace vontal {

// Texts from outside (device names, advertised names, application names) may hold characters
// that a terminal or a list row acts on rather than shows: C0 and C1 controls, DEL, the line and
// paragraph separators, and the bidirectional embeddings, overrides and isolates (U+202A–202E,
// U+2066–2069). Both functions take UTF-8; bytes that are not valid UTF-8 count as controls too,
// since an 8-bit terminal reads a lone 0x9B as the start of an escape sequence.

// For a log line: each such character becomes "\xHH" (one byte below 0x80, or an invalid byte)
// or "\uHHHH" (a code point), in lower-case hexadecimal. Everything else is kept byte for byte,
// so one event stays one line and cannot move the cursor, change colours or the window title.
std::string escapeControlCharacters(std::string_view text);

// For a row or a dialog: C0 controls and DEL become their Control Pictures (U+2400–U+241F,
// U+2421), every other such character, the direction marks U+200E, U+200F and U+061C, and each
// invalid byte U+FFFD. The result is one line of valid UTF-8 in which every control is visible as
// one glyph and that is written in the directions its letters ask for.
std::string showControlCharacters(std::string_view text);

} // namespace vontal
