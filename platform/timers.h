#pragma once

#include "subscription.h"

#include <chrono>
#include <functional>

namespace vontal {

// Timers on the main thread. Ticks keep coming while a modal dialog runs. The returned
// subscription stops the timer when cancelled or destroyed.
class Timers {
public:
    virtual ~Timers() = default;
    // First tick one interval after the call, then one every interval.
    [[nodiscard]] virtual Subscription repeating(std::chrono::milliseconds interval,
                                                 std::function<void()> tick) = 0;
    // One call after the delay.
    [[nodiscard]] virtual Subscription singleShot(std::chrono::milliseconds delay,
                                                  std::function<void()> task) = 0;
};

} // namespace vontal
