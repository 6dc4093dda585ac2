// Queued tasks and timers on the Qt event loop, inside and outside a modal dialog.

#include "platform/qt/services/alert_dialog.h"
#include "platform/qt/services/qt_alert_presenter.h"
#include "platform/qt/services/qt_main_queue.h"
#include "platform/qt/services/qt_timers.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vontal {
namespace {

using namespace std::chrono_literals;

// Turns the event loop until the condition holds; zero-interval timers fire on every turn, so a
// bounded number of turns is enough and nothing waits on the wall clock.
bool turnUntil(const std::function<bool()>& condition, int turns = 10'000) {
    for (int i = 0; i < turns && !condition(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return condition();
}

TEST(QtMainQueue, RunsTasksLaterInTheOrderQueued) {
    QtMainQueue queue;
    std::vector<std::string> ran;
    queue.async([&] {
        ran.push_back("a");
        queue.async([&] { ran.push_back("c"); });
    });
    queue.async([&] { ran.push_back("b"); });
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(turnUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(QtMainQueue, DropsTasksStillWaitingWhenDestroyed) {
    bool ran = false;
    {
        QtMainQueue queue;
        queue.async([&] { ran = true; });
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST(QtTimers, SingleShotRunsOnceAndCancelledOnesNever) {
    QtTimers timers;
    int once = 0;
    int never = 0;
    Subscription kept = timers.singleShot(0ms, [&] { ++once; });
    Subscription cancelled = timers.singleShot(0ms, [&] { ++never; });
    cancelled.cancel();
    ASSERT_TRUE(turnUntil([&] { return once == 1; }));
    turnUntil([] { return false; }, 50);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(never, 0);
}

TEST(QtTimers, RepeatingTicksUntilCancelledEvenFromItsOwnTick) {
    QtTimers timers;
    int ticks = 0;
    Subscription subscription;
    subscription = timers.repeating(0ms, [&] {
        if (++ticks == 3)
            subscription.cancel();
    });
    ASSERT_TRUE(turnUntil([&] { return ticks >= 3; }));
    turnUntil([] { return false; }, 50);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(subscription.active());
}

TEST(QtTimers, DestroyingTheTimersStopsThemAndLeavesTheirSubscriptionsHarmless) {
    int ticks = 0;
    Subscription subscription;
    {
        QtTimers timers;
        subscription = timers.repeating(0ms, [&] { ++ticks; });
        ASSERT_TRUE(turnUntil([&] { return ticks >= 1; }));
    }
    const int atDestruction = ticks;
    turnUntil([] { return false; }, 50);
    EXPECT_EQ(ticks, atDestruction);
    subscription.cancel();
}

TEST(QtAlertPresenter, TimersAndQueuedTasksKeepRunningWhileTheAlertIsOpen) {
    QtTimers timers;
    QtMainQueue queue;
    QtAlertPresenter presenter;
    int ticks = 0;
    bool taskRan = false;
    int ticksWhenAnswered = 0;
    Subscription keepAlive = timers.repeating(0ms, [&] {
        ++ticks;
        if (ticks == 1)
            queue.async([&] { taskRan = true; });
        if (ticks == 5) {
            auto* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            ticksWhenAnswered = ticks;
            QTest::keyClicks(dialog->findChild<QLineEdit*>(AlertDialog::kFieldObjectName),
                             "s3cret");
            QTest::mouseClick(dialog->findChild<QPushButton*>("alertButton0"), Qt::LeftButton);
        }
    });
    const AlertResponse response =
        presenter.runModal({"Enter password for Pad", {"OK", "Cancel"}, 200, 24});
    EXPECT_EQ(ticksWhenAnswered, 5);
    EXPECT_TRUE(taskRan);
    EXPECT_EQ(response.button, kAlertFirstButtonReturn);
    EXPECT_EQ(response.text, "s3cret");
}

} // namespace
} // namespace vontal
