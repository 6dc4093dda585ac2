#include "recording_diagnostics.h"

#include <cstdio>
#include <utility>

namespace vontal {

void RecordingDiagnostics::line(std::string_view text) {
    lines_.emplace_back(text);
    if (echo_) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

std::vector<std::string> RecordingDiagnostics::takeLines() {
    return std::exchange(lines_, {});
}

} // namespace vontal
