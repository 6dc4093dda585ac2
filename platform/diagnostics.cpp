#include "diagnostics.h"

#include <cstdio>

namespace vontal {

void StdoutDiagnostics::line(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace vontal
