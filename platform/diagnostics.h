#pragma once

#include <string_view>

namespace vontal {

// Where diagnostic lines go: one line per event, written whole and flushed.
class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    virtual void line(std::string_view text) = 0;
};

// Standard output, flushed after every line (the output is often a pipe or the journal), with
// control characters escaped and overlong lines cut (see log_line.h). Once the output's reader is
// gone (a broken pipe, a hung-up terminal) every further line is dropped without a word: there is
// no one left to tell.
class StdoutDiagnostics final : public Diagnostics {
public:
    void line(std::string_view text) override;
};

} // namespace vontal
