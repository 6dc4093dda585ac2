#include "tests/support/sim/virtual_clock.h"

#include <algorithm>
#include <utility>

namespace vontal {

VirtualClock::VirtualClock() : state_(std::make_shared<State>()) {}

VirtualClock::~VirtualClock() = default;

VirtualClock::Duration VirtualClock::now() const {
    return state_->now;
}

void VirtualClock::async(std::function<void()> task) {
    if (task)
        state_->tasks.push_back(std::move(task));
}

Subscription VirtualClock::repeating(Duration interval, std::function<void()> tick) {
    interval = std::max(interval, Duration(1));
    return schedule(interval, interval, std::move(tick));
}

Subscription VirtualClock::singleShot(Duration delay, std::function<void()> task) {
    return schedule(std::max(delay, Duration(0)), Duration(0), std::move(task));
}

Subscription VirtualClock::schedule(Duration delay, Duration interval,
                                    std::function<void()> callback) {
    const std::uint64_t id = state_->nextId++;
    state_->timers.emplace(id, Timer{state_->now + delay, state_->nextOrder++, interval,
                                     std::make_shared<std::function<void()>>(std::move(callback))});
    std::weak_ptr<State> weak = state_;
    return Subscription([weak, id] {
        if (auto state = weak.lock())
            state->timers.erase(id);
    });
}

bool VirtualClock::runUntilIdle(std::size_t limit) {
    for (std::size_t run = 0; run < limit; ++run) {
        if (state_->tasks.empty())
            return true;
        // Taken off the queue before it runs: the task may queue more, or run the queue itself.
        auto task = std::move(state_->tasks.front());
        state_->tasks.pop_front();
        task();
    }
    return state_->tasks.empty();
}

bool VirtualClock::fireNextDue(Duration limit) {
    auto& timers = state_->timers;
    auto next = timers.end();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->second.due > limit)
            continue;
        if (next == timers.end() || it->second.due < next->second.due ||
            (it->second.due == next->second.due && it->second.order < next->second.order))
            next = it;
    }
    if (next == timers.end())
        return false;

    state_->now = std::max(state_->now, next->second.due);
    // Held here so the callback survives its own cancellation.
    const auto callback = next->second.callback;
    if (next->second.interval > Duration(0)) {
        next->second.due += next->second.interval;
        next->second.order = state_->nextOrder++;
    } else {
        timers.erase(next);
    }
    (*callback)();
    return true;
}

void VirtualClock::advance(Duration duration) {
    advanceTo(state_->now + std::max(duration, Duration(0)));
}

void VirtualClock::advanceTo(Duration time) {
    runUntilIdle();
    while (fireNextDue(time))
        runUntilIdle();
    // A tick may have moved the clock beyond `time` already; time never goes back.
    state_->now = std::max(state_->now, time);
    runUntilIdle();
}

std::size_t VirtualClock::pendingTasks() const {
    return state_->tasks.size();
}

std::size_t VirtualClock::activeTimers() const {
    return state_->timers.size();
}

std::optional<VirtualClock::Duration> VirtualClock::nextDue() const {
    std::optional<Duration> due;
    for (const auto& [id, timer] : state_->timers)
        if (!due || timer.due < *due)
            due = timer.due;
    return due;
}

} // namespace vontal
