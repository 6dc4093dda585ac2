#include "diagnostics.h"

#include "control_characters.h"

#include <cstdio>

namespace vontal {

void StdoutDiagnostics::line(std::string_view text) {
    // Lines carry names from devices and applications. Escaping the whole line here, where every
    // line passes, keeps each event on one line and the terminal out of their reach; the fixed
    // parts of the lines hold no controls, so they print unchanged.
    const std::string escaped = escapeControlCharacters(text);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace vontal
