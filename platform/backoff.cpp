#include "backoff.h"

#include <algorithm>

namespace vontal {

std::chrono::milliseconds backoffPause(unsigned failures, std::chrono::milliseconds first,
                                       std::chrono::milliseconds maximum) {
    auto pause = first;
    for (unsigned i = 1; i < failures && pause < maximum; ++i)
        pause *= 2;
    return std::min(pause, maximum);
}

std::optional<std::string> keepsFailingLine(unsigned failures, const std::string& device,
                                            std::chrono::milliseconds maximum) {
    if (failures != 2)
        return std::nullopt;
    const std::string limit = maximum.count() % 1000 == 0
                                  ? std::to_string(maximum.count() / 1000) + " s"
                                  : std::to_string(maximum.count()) + " ms";
    return "Connecting " + device + " keeps failing; trying again after a growing pause, up to " +
           limit;
}

} // namespace vontal
