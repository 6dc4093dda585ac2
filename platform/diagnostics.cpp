#include "diagnostics.h"

#include "log_line.h"

#include <cerrno>
#include <cstdio>

namespace vontal {

namespace {

// Standard output whose reader is gone (a pipe closed, the terminal hung up) never comes back;
// from then on lines are dropped here rather than piling up in stdio's buffer.
bool outputGone = false;

} // namespace

void StdoutDiagnostics::line(std::string_view text) {
    if (outputGone)
        return;
    // Lines carry names from devices and applications, and error texts from BlueZ. Escaping the
    // whole line here, where every line passes, keeps each event on one line and the terminal out
    // of their reach; the fixed parts of the lines hold no controls, so they print unchanged. The
    // same goes for the bound: a name of kilobytes still gives a line that fits a screen.
    const std::string escaped = logLine(text);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
    std::fputc('\n', stdout);
    if (std::fflush(stdout) != 0 && (errno == EPIPE || errno == EIO))
        outputGone = true;
}

} // namespace vontal
