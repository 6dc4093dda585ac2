// The tray icon's two states of vontal's artwork, and the dot while a password alert is open.
// (Its tooltip, menu and click are checked end to end, as a desktop's tray host sees them.) Under a
// radio that flaps, the tooltip and the status line move about once a second.

#include "ui/app_icon.h"
#include "ui/prompt_tracker.h"
#include "ui/status_line.h"
#include "ui/status_report.h"
#include "ui/tray_icon.h"
#include "ui_fixture.h"

#include <QSystemTrayIcon>

namespace vontal {
namespace {

bool grey(QRgb pixel) {
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
}

using TrayIconTest = UiFixture;

TEST_F(TrayIconTest, TheTrayIconIsGreyWithNoDeviceColouredWithOneAndDottedWhileAnAlertWaits) {
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, std::nullopt, nullptr, nullptr}, uiDiagnostics);
    TrayIcon tray(
        *manager, status, prompts, [] {}, [] {});
    const auto shown = [&] {
        return iconImage(tray.icon()->icon(), 64);
    };

    const QImage none = shown();
    const QImage colour = iconImage(applicationIcon(), 64);
    int colouredPixels = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            EXPECT_TRUE(grey(none.pixel(x, y))) << x << "," << y;
            if (qAlpha(colour.pixel(x, y)) == 0) {
                EXPECT_EQ(qAlpha(none.pixel(x, y)), 0) << x << "," << y;
            }
            colouredPixels += grey(colour.pixel(x, y)) ? 0 : 1;
        }
    EXPECT_GT(colouredPixels, 64 * 64 / 4);

    // While an alert goes through the tracker: a dot in the top right corner.
    sim.alerts.accept("1234", [&] {
        turnQtLoop();
        const QImage waiting = shown();
        EXPECT_GT(qRed(waiting.pixel(54, 10)), 200);
        EXPECT_LT(qBlue(waiting.pixel(54, 10)), 80);
        EXPECT_EQ(waiting.pixel(10, 54), none.pixel(10, 54));
    });
    EXPECT_EQ(prompts.runModal({"Enter password for Pad", {"OK", "Cancel"}}).text, "1234");
    turnQtLoop();
    EXPECT_EQ(shown(), none);

    sim.bluetooth.addDevice(vontalDevice(identifierForAddress(0x01), "Pad", std::nullopt));
    sim.alerts.accept("1234");
    settle();
    manager->connect(manager->discoveredPeripherals().at(0));
    settle();
    EXPECT_EQ(shown(), colour);

    // The tooltip says what the window's status line says.
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    settle();
    EXPECT_TRUE(tray.icon()->toolTip().endsWith(
        "No device connected\nBluetooth is switched off. Switch it on to find devices."))
        << tray.icon()->toolTip().toStdString();
}

TEST_F(TrayIconTest, OnlyUnlockedDevicesCountAsConnected) {
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, std::nullopt, nullptr, nullptr}, uiDiagnostics);
    TrayIcon tray(
        *manager, status, prompts, [] {}, [] {});
    const BluetoothUuid id = identifierForAddress(0x01);
    sim.bluetooth.addDevice(vontalDevice(id, "Pad", "1234"));
    settle();
    QString whileWaiting, whileRefused;
    sim.alerts.accept("wrong", [&] {
        turnQtLoop();
        whileWaiting = tray.icon()->toolTip();
    });
    sim.alerts.accept("1234", [&] {
        turnQtLoop();
        whileRefused = tray.icon()->toolTip();
    });
    manager->connect(manager->discoveredPeripherals().at(0));
    settle();
    ASSERT_TRUE(manager->isUnlocked(id));
    // The link is up in both, but the device hears nothing yet.
    ASSERT_EQ(sim.bluetooth.linkState(id), PeripheralState::Connected);
    EXPECT_EQ(whileWaiting, "vontal\nNo device connected");
    EXPECT_EQ(whileRefused, "vontal\nNo device connected");
    EXPECT_EQ(tray.icon()->toolTip(), QStringLiteral("vontal\n1 device connected:\nPad"));
}

TEST_F(TrayIconTest, UnderAFlappingRadioTooltipAndStatusLineChangeOnceASecondAndEndOnTheLatest) {
    using namespace std::chrono_literals;
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, std::nullopt, nullptr, nullptr}, uiDiagnostics);
    status.paceChanges(sim.clock, 1s);
    StatusLine line(status, uiDiagnostics);
    TrayIcon tray(
        *manager, status, prompts, [] {}, [] {});
    tray.paceRefreshes(sim.clock, 1s);
    settle();
    sim.clock.advance(2s);
    turnQtLoop();
    const QString looking = "Looking for devices. Yours shows up here when it is switched on and "
                            "near this computer.";
    const QString off = "Bluetooth is switched off. Switch it on to find devices.";
    ASSERT_EQ(line.shownTexts(), QStringList{looking});

    // Two seconds of the radio going off and on every 50 ms.
    QStringList tips{tray.icon()->toolTip()};
    QList<QStringList> shown{line.shownTexts()};
    const auto note = [&] {
        if (tray.icon()->toolTip() != tips.back())
            tips << tray.icon()->toolTip();
        if (line.shownTexts() != shown.back())
            shown << line.shownTexts();
    };
    for (int i = 0; i < 40; ++i) {
        sim.bluetooth.setRadioState(i % 2 == 0 ? CentralState::PoweredOff
                                               : CentralState::PoweredOn);
        settle();
        note();
        sim.clock.advance(50ms);
        turnQtLoop();
        note();
    }
    // At once, then once a second at most.
    EXPECT_LE(tips.size(), 4) << tips.join(QStringLiteral(" | ")).toStdString();
    EXPECT_LE(shown.size(), 4);
    EXPECT_GE(shown.size(), 2);

    // The radio stays off: within a second both say so, and stay so.
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    settle();
    sim.clock.advance(1s);
    turnQtLoop();
    sim.clock.advance(1s);
    turnQtLoop();
    EXPECT_EQ(line.shownTexts(), QStringList{off});
    EXPECT_TRUE(tray.icon()->toolTip().endsWith("No device connected\n" + off))
        << tray.icon()->toolTip().toStdString();
}

} // namespace
} // namespace vontal
