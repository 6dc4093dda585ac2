// The application: one manager for every window, made when the first window is built; windows
// with their own toggles; the minimum size.

#include "platform/qt/services/qt_alert_presenter.h"
#include "ui/content_view.h"
#include "ui/device_list_view.h"
#include "ui/launch_at_login_block.h"
#include "ui/main_window.h"
#include "ui/vontal_app.h"
#include "ui_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>

namespace vontal {
namespace {

class AppTest : public testing::Test {
protected:
    AppTest()
        : app(
              [this] {
                  ++factoryRuns;
                  // The manager and the simulated platform it runs on share one lifetime.
                  auto sim = std::make_shared<SimPlatform>();
                  lastSim = sim.get();
                  struct Both {
                      explicit Both(std::shared_ptr<SimPlatform> platform)
                          : sim(std::move(platform)), manager(sim->platform()) {}
                      std::shared_ptr<SimPlatform> sim;
                      PeripheralManager manager;
                  };
                  auto both = std::make_shared<Both>(sim);
                  return std::shared_ptr<PeripheralManager>(both, &both->manager);
              },
              loginItems, diagnostics,
              [this] {
                  // What vontal's own quit does first.
                  alerts.closeAll();
                  ++quits;
              }) {}

    QtAlertPresenter alerts;
    int quits = 0;
    int factoryRuns = 0;
    SimPlatform* lastSim = nullptr;
    ScriptedLoginItemService loginItems;
    RecordingDiagnostics diagnostics;
    vontalApp app;
};

TEST_F(AppTest, TheManagerIsMadeWhenTheFirstWindowIsBuiltAndSharedByTheNext) {
    EXPECT_EQ(factoryRuns, 0);
    EXPECT_FALSE(app.hasManager());

    MainWindow* first = app.newWindow();
    EXPECT_EQ(factoryRuns, 1);
    ASSERT_NE(lastSim, nullptr);
    // One Bluetooth central, asked to scan once the radio reported.
    lastSim->clock.runUntilIdle();
    lastSim->bluetooth.addDevice(vontalDevice(identifierForAddress(0x77), "Shared", std::nullopt));
    lastSim->clock.runUntilIdle();
    QCoreApplication::processEvents();

    // "New Window" from the first window's menu.
    QAction* newWindow = first->findChild<QAction*>(QStringLiteral("newWindowAction"));
    ASSERT_NE(newWindow, nullptr);
    EXPECT_EQ(newWindow->shortcut(), QKeySequence(QKeySequence::New));
    newWindow->trigger();
    ASSERT_EQ(app.windows().size(), 2u);
    MainWindow* second = app.windows().back();
    EXPECT_EQ(factoryRuns, 1);
    EXPECT_EQ(&first->content()->manager(), &second->content()->manager());
    EXPECT_EQ(&second->content()->manager(), &app.manager());

    const auto& scans = lastSim->bluetooth.requestsOf(SimRequest::Kind::Scan);
    EXPECT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans.front().central, 1);
    ASSERT_EQ(second->content()->discoveredList()->rowCount(), 1);
    EXPECT_EQ(rowName(*second->content()->discoveredList(), 0),
              rowName(*first->content()->discoveredList(), 0));

    // Each window has its own toggle.
    click(first->content()->launchAtLoginBlock()->toggle());
    EXPECT_TRUE(first->content()->launchAtLogin());
    EXPECT_FALSE(second->content()->launchAtLogin());

    // Closing a window leaves the manager and the other window alone.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app.windows().size(), 1u);
    EXPECT_TRUE(app.hasManager());
    EXPECT_EQ(factoryRuns, 1);
}

TEST_F(AppTest, WindowsCannotShrinkBelowTheMinimumAndHaveNoMaximum) {
    MainWindow* window = app.newWindow();
    QCoreApplication::processEvents();
    ContentView* content = window->content();

    window->resize(120, 90);
    QCoreApplication::processEvents();
    EXPECT_GE(content->width(), 400);
    EXPECT_GE(content->height(), 300);
    EXPECT_GE(window->width(), 400);
    EXPECT_GE(window->height(), 300);

    window->resize(1800, 1400);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(1800, 1400));
    EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_EQ(content->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(AppTest, BringingForwardRestoresAMinimisedWindowOrOpensOne) {
    MainWindow* window = app.newWindow();
    window->showMinimized();
    QCoreApplication::processEvents();
    app.bringForward();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app.windows().size(), 1u);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(app.windows().empty());
    app.bringForward();
    EXPECT_EQ(app.windows().size(), 1u);
    EXPECT_EQ(factoryRuns, 1);
}

TEST_F(AppTest, QuitFromTheWindowWorksWhileAPasswordAlertIsOpenAndClosesItAsCancel) {
    MainWindow* window = app.newWindow();
    QCoreApplication::processEvents();
    bool windowTookKeys = false;
    QTimer::singleShot(0, [&] {
        // The alert is open: the window still takes the user's keys.
        ASSERT_EQ(alerts.openNow(), 1);
        window->activateWindow();
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        windowTookKeys = true;
    });
    // Should the keys not get through, the test fails instead of waiting for ever.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { alerts.closeAll(); });
    guard.start(10000);
    const AlertResponse response =
        alerts.runModal({"Incorrect password for Pad", {"Retry", "Cancel"}, 200, 24});
    EXPECT_TRUE(windowTookKeys);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(response.button, kAlertFirstButtonReturn + 1);
    EXPECT_EQ(alerts.openNow(), 0);
    // On the way out, a further alert answers "Cancel" without showing.
    EXPECT_EQ(alerts.runModal({"Enter password for Pad", {"OK", "Cancel"}, 200, 24}).button,
              kAlertFirstButtonReturn + 1);
}

} // namespace
} // namespace vontal
