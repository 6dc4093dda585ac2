#pragma once

#include <functional>

namespace vontal {

// Runs tasks later on the main thread, in the order they were queued.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void async(std::function<void()> task) = 0;
};

} // namespace vontal
