#include "log_line.h"

#include "control_characters.h"

namespace vontal {

namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The byte offset after the first `count` characters of valid UTF-8, or nothing when the text
// holds no more than `count` characters.
std::size_t endOfCharacters(const std::string& text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at]))
            continue;
        if (characters == count)
            return at;
        ++characters;
    }
    return std::string::npos;
}

// Escapes are "\xHH" and "\uHHHH"; one that starts before `end` and runs past it is left out
// whole. A backslash of the text itself followed by x or u may cost a few characters more, which
// is harmless.
std::size_t keepEscapesWhole(const std::string& text, std::size_t end) {
    if (end == 0)
        return end;
    const std::size_t backslash = text.rfind('\\', end - 1);
    // An escape is at most six bytes long; the text goes on after `end`.
    if (backslash == std::string::npos || backslash + 6 <= end)
        return end;
    const char kind = text[backslash + 1];
    const std::size_t length = kind == 'x' ? 4 : kind == 'u' ? 6 : 0;
    return backslash + length > end ? backslash : end;
}

} // namespace

std::string logLine(std::string_view text, std::size_t limit) {
    std::string line = escapeControlCharacters(text);
    if (limit == 0)
        return {};
    // The escaped line is valid UTF-8: every invalid byte became an escape.
    if (endOfCharacters(line, limit) == std::string::npos)
        return line;
    line.resize(keepEscapesWhole(line, endOfCharacters(line, limit - 1)));
    line += "\xe2\x80\xa6"; // …
    return line;
}

} // namespace vontal
