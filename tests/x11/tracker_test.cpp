#include "platform/frontmost/activation_tracker.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(ActivationTracker, FrontAtStartIsNotAnActivationButLaterChangesAre) {
    ActivationTracker tracker;
    tracker.start("editor");
    EXPECT_FALSE(tracker.windowFocused("editor"));
    EXPECT_TRUE(tracker.windowFocused("terminal"));
    EXPECT_TRUE(tracker.windowFocused("editor"));
    EXPECT_FALSE(tracker.windowFocused("editor"));
    EXPECT_EQ(tracker.front(), "editor");
}

TEST(ActivationTracker, NothingInFrontAtStartMakesTheFirstWindowAnActivation) {
    ActivationTracker tracker;
    tracker.start(std::nullopt);
    EXPECT_FALSE(tracker.focusCleared());
    EXPECT_TRUE(tracker.windowFocused("editor"));
}

TEST(ActivationTracker, BriefLossOfFocusIsNoGap) {
    ActivationTracker tracker;
    tracker.start("editor");
    EXPECT_TRUE(tracker.focusCleared());
    EXPECT_FALSE(tracker.windowFocused("editor"));
    EXPECT_TRUE(tracker.focusCleared());
    EXPECT_TRUE(tracker.windowFocused("terminal"));
}

TEST(ActivationTracker, AfterARealGapTheSameApplicationIsActivatedAgain) {
    ActivationTracker tracker;
    tracker.start("editor");
    ASSERT_TRUE(tracker.focusCleared());
    tracker.gapLasted();
    EXPECT_FALSE(tracker.front().has_value());
    // Still no window: nothing is in front, so no new gap begins.
    EXPECT_FALSE(tracker.focusCleared());
    EXPECT_TRUE(tracker.windowFocused("editor"));
    EXPECT_FALSE(tracker.windowFocused("editor"));
}

} // namespace
} // namespace vontal
