#include "tests/support/sim/recording_diagnostics.h"

#include <utility>

namespace vontal {

void RecordingDiagnostics::line(std::string_view text) {
    lines_.emplace_back(text);
    // Echoed as the application writes its lines, control characters escaped.
    if (echo_)
        StdoutDiagnostics().line(text);
}

std::vector<std::string> RecordingDiagnostics::takeLines() {
    return std::exchange(lines_, {});
}

} // namespace vontal
