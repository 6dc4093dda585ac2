#include "tests/support/sim/virtual_clock.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vontal {
namespace {

using std::chrono::milliseconds;

// Events tagged with the clock's time when they ran.
struct Trace {
    VirtualClock& clock;
    std::vector<std::string> events;
    void operator()(const std::string& what) {
        events.push_back(what + "@" + std::to_string(clock.now().count()));
    }
};

TEST(VirtualClock, TasksRunInQueueOrderIncludingTasksQueuedByTasksWithoutMovingTime) {
    VirtualClock clock;
    Trace trace{clock, {}};
    clock.async([&] {
        trace("a");
        clock.async([&] { trace("c"); });
    });
    clock.async([&] { trace("b"); });
    EXPECT_EQ(clock.pendingTasks(), 2u);
    EXPECT_TRUE(trace.events.empty()) << "async must never run the task inside the call";

    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(trace.events, (std::vector<std::string>{"a@0", "b@0", "c@0"}));
    EXPECT_EQ(clock.now(), milliseconds(0));
}

TEST(VirtualClock, TimersFireInTimeOrderTiesInSchedulingOrderAndQueuedTasksRunBetween) {
    VirtualClock clock;
    Trace trace{clock, {}};
    auto late = clock.singleShot(milliseconds(30), [&] { trace("late"); });
    auto tick = clock.repeating(milliseconds(10), [&] {
        trace("tick");
        clock.async([&] { trace("task"); });
    });
    auto sameTime = clock.singleShot(milliseconds(10), [&] { trace("same"); });

    clock.advance(milliseconds(30));
    // At 30 the single shot was scheduled (at 0) before the repeating timer was rescheduled
    // (at 20), so it goes first.
    EXPECT_EQ(trace.events, (std::vector<std::string>{"tick@10", "task@10", "same@10", "tick@20",
                                                      "task@20", "late@30", "tick@30", "task@30"}));
    EXPECT_EQ(clock.now(), milliseconds(30));
}

TEST(VirtualClock, RepeatingTimerFirstTicksOneIntervalAfterCreationThenEveryInterval) {
    VirtualClock clock;
    clock.advance(milliseconds(5));
    std::vector<long> ticks;
    auto timer = clock.repeating(milliseconds(15), [&] { ticks.push_back(clock.now().count()); });

    clock.advance(milliseconds(14));
    EXPECT_TRUE(ticks.empty());
    clock.advance(milliseconds(1));
    EXPECT_EQ(ticks, (std::vector<long>{20}));
    clock.advance(milliseconds(45));
    EXPECT_EQ(ticks, (std::vector<long>{20, 35, 50, 65}));
    EXPECT_EQ(clock.nextDue(), milliseconds(80));
}

TEST(VirtualClock, CancelledOrDestroyedTimersNeverFireEvenWhenDueAtTheSameInstant) {
    VirtualClock clock;
    std::vector<std::string> fired;
    std::optional<Subscription> victim;
    std::optional<Subscription> destroyed;
    auto killer = clock.singleShot(milliseconds(10), [&] {
        fired.push_back("killer");
        victim->cancel();
        destroyed.reset();
    });
    victim = clock.singleShot(milliseconds(10), [&] { fired.push_back("victim"); });
    destroyed = clock.singleShot(milliseconds(10), [&] { fired.push_back("destroyed"); });
    auto cancelledEarly = clock.repeating(milliseconds(1), [&] { fired.push_back("early"); });
    cancelledEarly.cancel();

    clock.advance(milliseconds(100));
    EXPECT_EQ(fired, (std::vector<std::string>{"killer"}));
    EXPECT_EQ(clock.activeTimers(), 0u);
}

TEST(VirtualClock, RepeatingTimerThatCancelsItselfInItsTickFiresOnce) {
    VirtualClock clock;
    int ticks = 0;
    Subscription timer;
    timer = clock.repeating(milliseconds(5), [&] {
        ++ticks;
        timer.cancel();
    });
    clock.advance(milliseconds(50));
    EXPECT_EQ(ticks, 1);
}

TEST(VirtualClock, TimersMadeInsideTicksFireInTheSameAdvanceWhenDue) {
    VirtualClock clock;
    Trace trace{clock, {}};
    std::vector<Subscription> keep;
    auto first = clock.singleShot(milliseconds(10), [&] {
        trace("first");
        keep.push_back(clock.singleShot(milliseconds(0), [&] { trace("now"); }));
        keep.push_back(clock.singleShot(milliseconds(5), [&] { trace("soon"); }));
        keep.push_back(clock.singleShot(milliseconds(50), [&] { trace("later"); }));
    });
    clock.advance(milliseconds(20));
    EXPECT_EQ(trace.events, (std::vector<std::string>{"first@10", "now@10", "soon@15"}));
}

TEST(VirtualClock, AdvanceFromInsideATaskActsAsANestedLoopAndTimeNeverGoesBack) {
    VirtualClock clock;
    Trace trace{clock, {}};
    auto tick = clock.repeating(milliseconds(10), [&] { trace("tick"); });
    // An alert that stays open for 25 ms while the outer loop was asked to move 5 ms.
    clock.async([&] {
        trace("open");
        clock.advance(milliseconds(25));
        trace("closed");
    });
    clock.advance(milliseconds(5));
    EXPECT_EQ(trace.events,
              (std::vector<std::string>{"open@0", "tick@10", "tick@20", "closed@25"}));
    EXPECT_EQ(clock.now(), milliseconds(25));
}

TEST(VirtualClock, RunUntilIdleGivesUpOnATaskThatRequeuesItselfForever) {
    VirtualClock clock;
    std::function<void()> again = [&] {
        clock.async(again);
    };
    clock.async(again);
    EXPECT_FALSE(clock.runUntilIdle(1000));
    EXPECT_EQ(clock.pendingTasks(), 1u);
}

TEST(VirtualClock, SubscriptionOutlivingTheClockCancelsHarmlessly) {
    Subscription survivor;
    {
        VirtualClock clock;
        survivor = clock.repeating(milliseconds(1), [] {});
    }
    survivor.cancel();
    EXPECT_FALSE(survivor.active());
}

} // namespace
} // namespace vontal
