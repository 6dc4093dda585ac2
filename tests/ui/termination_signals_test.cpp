// SIGTERM and SIGINT become one call each on the main loop, not in the signal handler.

#include "ui/termination_signals.h"

#include <QCoreApplication>
#include <csignal>
#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(TerminationSignals, EachSignalIsOneCallOnTheLoopAndNoneInTheHandler) {
    int calls = 0;
    TerminationSignals watcher([&] { ++calls; }, {SIGTERM, SIGINT});
    ASSERT_TRUE(watcher.installed());

    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    // The process is still here, and nothing ran inside the handlers.
    EXPECT_EQ(calls, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 3);
}

} // namespace
} // namespace vontal
