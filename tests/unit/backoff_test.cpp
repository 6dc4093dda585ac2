#include "platform/backoff.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(Backoff, ThePauseDoublesWithEachFailureInARowAndStopsAtTheMaximum) {
    std::vector<milliseconds> pauses;
    for (unsigned failures = 1; failures <= 9; ++failures)
        pauses.push_back(backoffPause(failures, seconds(1), seconds(60)));
    EXPECT_THAT(pauses,
                ::testing::ElementsAre(seconds(1), seconds(2), seconds(4), seconds(8), seconds(16),
                                       seconds(32), seconds(60), seconds(60), seconds(60)));
    // Counts far past the cap neither overflow nor shrink the pause.
    EXPECT_EQ(backoffPause(1000000, seconds(1), seconds(60)), seconds(60));
    // A first pause above the maximum is held to it.
    EXPECT_EQ(backoffPause(1, seconds(90), seconds(60)), seconds(60));
    EXPECT_EQ(backoffPause(3, milliseconds(30), milliseconds(100)), milliseconds(100));
}

TEST(Backoff, TheLineIsSaidOnceAtTheSecondFailureInARow) {
    for (const unsigned failures : {0u, 1u, 3u, 7u})
        EXPECT_FALSE(keepsFailingLine(failures, "Desk", seconds(60))) << failures;
    EXPECT_EQ(keepsFailingLine(2, "Desk (AA:BB)", seconds(60)),
              "Connecting Desk (AA:BB) keeps failing; trying again after a growing pause, up to "
              "60 s");
    // A maximum that is no whole number of seconds is told in milliseconds.
    EXPECT_EQ(keepsFailingLine(2, "Desk", milliseconds(1500)),
              "Connecting Desk keeps failing; trying again after a growing pause, up to 1500 ms");
}

} // namespace
} // namespace vontal
