#pragma once

#include "platform/diagnostics.h"

#include <string>
#include <string_view>
#include <vector>

namespace vontal {

// Keeps every diagnostic line; can also pass them on to standard output, which ctest shows when
// a test fails.
class RecordingDiagnostics final : public Diagnostics {
public:
    explicit RecordingDiagnostics(bool echo = false) : echo_(echo) {}

    void line(std::string_view text) override;

    const std::vector<std::string>& lines() const { return lines_; }
    // The lines written since the last call.
    std::vector<std::string> takeLines();
    void clear() { lines_.clear(); }
    void setEcho(bool echo) { echo_ = echo; }

private:
    std::vector<std::string> lines_;
    bool echo_;
};

} // namespace vontal
