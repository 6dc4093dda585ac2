#include "control_characters.h"

#include <cstdint>
#include <cstdio>

namespace vontal {

namespace {

// One step through UTF-8: the code point and its length in bytes, or length 1 and no code point
// for a byte that does not start a valid, shortest-form sequence.
struct Step {
    char32_t codePoint = 0;
    std::size_t length = 1;
    bool valid = false;
};

Step decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint8_t>(text[at + i]);
    };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80)
        return {lead, 1, true};
    std::size_t length = 0;
    char32_t value = 0;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return {};
    }
    if (at + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return {};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length, true};
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// On screen the marks that only steer the writing direction are shown too: a left-to-right or
// right-to-left mark (U+200E, U+200F) or an Arabic letter mark (U+061C) in a name would reorder
// the text around it, and the name beside it, without being seen.
bool isShownAsSymbol(char32_t c) {
    return isControl(c) || c == 0x200E || c == 0x200F || c == 0x061C;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Only code points below U+10000 are ever produced here.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Copies every ordinary character and lets `replace` append what stands for each control (or
// invalid byte, which is passed along for the escape).
template <typename Replace>
std::string rewrite(std::string_view text, bool (*replaced)(char32_t), Replace replace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Step step = decode(text, at);
        if (step.valid && !replaced(step.codePoint))
            out.append(text.substr(at, step.length));
        else
            replace(out, step, static_cast<std::uint8_t>(text[at]));
        at += step.length;
    }
    return out;
}

} // namespace

std::string escapeControlCharacters(std::string_view text) {
    return rewrite(text, isControl, [](std::string& out, const Step& step, std::uint8_t byte) {
        char escaped[8];
        if (!step.valid || step.codePoint < 0x80)
            std::snprintf(escaped, sizeof escaped, "\\x%02x", unsigned(byte));
        else
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(step.codePoint));
        out += escaped;
    });
}

std::string showControlCharacters(std::string_view text) {
    return rewrite(text, isShownAsSymbol, [](std::string& out, const Step& step, std::uint8_t) {
        if (step.valid && step.codePoint < 0x20)
            appendUtf8(out, 0x2400 + step.codePoint);
        else if (step.valid && step.codePoint == 0x7F)
            appendUtf8(out, 0x2421);
        else
            appendUtf8(out, 0xFFFD);
    });
}

} // namespace vontal
