// The tray icon's two states of vontal's artwork, and the dot while a password alert is open.
// (Its tooltip, menu and click are checked end to end, as a desktop's tray host sees them.) Under a
// radio that flaps, the tooltip and the status line move about once a second.

#include "ui/app_icon.h"
#include "ui/content_view.h"
#include "ui/prompt_tracker.h"
#include "ui/status_line.h"
#include "ui/status_report.h"
#include "ui/tray_icon.h"
#include "ui/two_line_label.h"
#include "ui_fixture.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTextDocument>

namespace vontal {
namespace {

QString nameSaidOf(QWidget* widget) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(QAccessible::Name) : QString();
}

bool grey(QRgb pixel) {
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
}

using TrayIconTest = UiFixture;

TEST_F(TrayIconTest, TheTrayIconIsGreyWithNoDeviceColouredWithOneAndDottedWhileAnAlertWaits) {
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, {}}, uiDiagnostics);
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
    StatusReport status(*manager, {&sim.bluetooth, {}}, uiDiagnostics);
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

// BlueZ's answer and a device's name come from outside: each stays one line of visible
// characters, in the window's status line and in the tray's tooltip, and the tooltip stays short
// however many devices there are.
TEST_F(TrayIconTest, HostileNamesAndErrorTextsStayOneVisibleLineEachInABoundedTooltip) {
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, {}}, uiDiagnostics);
    TrayIcon tray(
        *manager, status, prompts, [] {}, [] {});
    ContentView view(*manager, loginItems, uiDiagnostics, &status);
    view.show();
    const BluetoothUuid id = identifierForAddress(0x01);
    sim.bluetooth.addDevice(
        vontalDevice(id, "Pad", std::nullopt,
                     "<i>Pad</i>\nPassword accepted \u202E" + std::string(60 * 1024, 'P')));
    sim.alerts.accept("1234");
    settle();
    manager->connect(manager->discoveredPeripherals().at(0));
    settle();
    ASSERT_TRUE(manager->isUnlocked(id));
    const QString pad = QString::fromUtf8("<i>Pad</i>\u240APassword accepted \uFFFD") +
                        QString(33, u'P') + QChar(0x2026);
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\n1 device connected:\n" + pad);

    // The adapter goes off, and BlueZ refuses to switch it on with ten kilobytes of words.
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    sim.bluetooth.refuseSwitchingOn("org.bluez.Error.Failed: <b>no</b>\n\u2067Forged line\u2069 " +
                                    std::string(10 * 1024, 'x'));
    settle();
    click(view.statusLine()->button(StatusReport::Topic::Bluetooth));
    settle();
    TwoLineLabel* line = view.statusLine()->line(StatusReport::Topic::Bluetooth);
    ASSERT_NE(line, nullptr);
    const QString said =
        "Bluetooth is switched off, and BlueZ did not switch it on (" +
        QString::fromUtf8("org.bluez.Error.Failed: <b>no</b>\u240A\uFFFDForged line\uFFFD ") +
        QString(71, u'x') + QChar(0x2026) + "). Switch it on in your system's settings.";
    EXPECT_EQ(line->fullText(), said);
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    // Two lines of the window at most, the second cut short; the whole sentence is the
    // tooltip, and nothing of it is read as markup.
    const QStringList drawn = line->text().split(QLatin1Char('\n'));
    ASSERT_EQ(drawn.size(), 2) << line->text().toStdString();
    EXPECT_TRUE(said.startsWith(drawn[0]));
    EXPECT_TRUE(drawn[1].endsWith(QChar(0x2026)));
    for (const QString& shown : drawn)
        EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->contentsRect().width());
    EXPECT_GE(line->height(), line->heightForWidth(line->width()));
    QTextDocument tip;
    tip.setHtml(line->toolTip());
    EXPECT_EQ(tip.toPlainText(), said);
    EXPECT_EQ(nameSaidOf(line), said);
    EXPECT_TRUE(tray.icon()->toolTip().endsWith("\nNo device connected\n" + said))
        << tray.icon()->toolTip().toStdString();

    // Devices by the hundred: the tooltip names as many as fit, and says there are more.
    TraySummary many;
    for (int device = 0; device < 200; ++device)
        many.connected << QString(63, u'<') + QChar(0x2026);
    for (const TraySummary::Format format :
         {TraySummary::Format::Plain, TraySummary::Format::Markup}) {
        const QString tip = many.toolTip(format);
        EXPECT_LT(tip.size(), 2000);
        EXPECT_TRUE(tip.endsWith(QStringLiteral("\n") + QChar(0x2026)));
        EXPECT_GT(tip.count('\n'), 5);
    }
    // For a host that reads markup, every "<" is escaped.
    const QString markup = many.toolTip(TraySummary::Format::Markup);
    EXPECT_FALSE(markup.contains('<'));
    EXPECT_TRUE(markup.contains(QStringLiteral("\n") + QString(63, u'<').toHtmlEscaped()));
}

TEST_F(TrayIconTest, UnderAFlappingRadioTooltipAndStatusLineChangeOnceASecondAndEndOnTheLatest) {
    using namespace std::chrono_literals;
    PromptTracker prompts(sim.alerts);
    StatusReport status(*manager, {&sim.bluetooth, {}}, uiDiagnostics);
    status.paceChanges(sim.clock, 1s);
    StatusLine line(status);
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
