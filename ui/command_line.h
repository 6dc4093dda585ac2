#pragma once

#include <QString>
#include <optional>

namespace vontal {

struct CommandLine {
    bool simulate = false;
};

// Reads the arguments. `--help` and `--version` are answered on standard output, and a wrong
// argument on standard error; each gives an exit status in `exitCode` and no CommandLine.
std::optional<CommandLine> parseCommandLine(int& argc, char** argv, int& exitCode);

} // namespace vontal
