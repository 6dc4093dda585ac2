#pragma once

#include "platform/main_queue.h"
#include "platform/timers.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace vontal {

// Main queue and timers on a clock that moves only when told to, so tests never sleep. Time
// starts at zero. Tasks and ticks may queue tasks, create or cancel timers, and even move the
// clock themselves (an alert emulating its nested modal loop does).
class VirtualClock final : public MainQueue, public Timers {
public:
    using Duration = std::chrono::milliseconds;

    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    Duration now() const;

    // MainQueue
    void async(std::function<void()> task) override;

    // Timers. An interval below one millisecond is taken as one millisecond, so a repeating
    // timer can never stall the clock.
    [[nodiscard]] Subscription repeating(Duration interval, std::function<void()> tick) override;
    [[nodiscard]] Subscription singleShot(Duration delay, std::function<void()> task) override;

    // Runs queued tasks, in order, until none is left, without moving time. Gives up after
    // `limit` tasks so that a task that keeps requeueing itself cannot hang a test; returns
    // whether the queue was drained.
    bool runUntilIdle(std::size_t limit = 10'000'000);

    // Moves time forward by `duration`: due timers fire in time order (ties in the order they
    // were scheduled), and after each one the tasks it queued run.
    void advance(Duration duration);
    // Moves time to `time` (never backwards).
    void advanceTo(Duration time);

    std::size_t pendingTasks() const;
    std::size_t activeTimers() const;
    // When the next timer is due, if any runs.
    std::optional<Duration> nextDue() const;

private:
    struct Timer {
        Duration due;
        std::uint64_t order; // tie-break: the order in which timers were (re)scheduled
        Duration interval;   // zero for a single shot
        std::shared_ptr<std::function<void()>> callback;
    };
    struct State {
        Duration now{0};
        std::deque<std::function<void()>> tasks;
        std::map<std::uint64_t, Timer> timers;
        std::uint64_t nextId = 1;
        std::uint64_t nextOrder = 1;
    };

    Subscription schedule(Duration delay, Duration interval, std::function<void()> callback);
    // Fires the earliest timer due at or before `limit`; false when there is none.
    bool fireNextDue(Duration limit);

    // Shared with the subscriptions, so that one outliving the clock cancels nothing.
    std::shared_ptr<State> state_;
};

} // namespace vontal
