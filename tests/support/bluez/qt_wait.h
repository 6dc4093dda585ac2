#pragma once

// Waiting in the real Qt event loop for something to become true, with a deadline: events are
// processed meanwhile, so D-Bus replies, signals, queued callbacks and timers all run.

#include <chrono>
#include <functional>

namespace vontal::test {

bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

} // namespace vontal::test
