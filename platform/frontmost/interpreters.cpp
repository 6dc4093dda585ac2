#include "platform/frontmost/application_catalog.h"

#include <array>

namespace vontal {

bool isInterpreter(std::string_view programName) {
    // python3.11, lua5.4, electron25: the version does not make it an application.
    while (!programName.empty() &&
           ((programName.back() >= '0' && programName.back() <= '9') || programName.back() == '.'))
        programName.remove_suffix(1);
    static constexpr std::array<std::string_view, 24> kInterpreters = {
        "sh",   "bash", "dash",  "zsh",  "ksh",    "fish",     "env",  "python",
        "perl", "ruby", "java",  "node", "nodejs", "electron", "mono", "gjs",
        "lua",  "php",  "tclsh", "wish", "wine",   "flatpak",  "snap", "pkexec",
    };
    for (const auto interpreter : kInterpreters) {
        if (programName == interpreter)
            return true;
    }
    return false;
}

} // namespace vontal
