// The tray icon over the simulated device link: its tooltip, menu and icon follow the devices
// whose link is up and a password alert that is open; its click and menu open a window or quit.

#include "ui/app_icon.h"
#include "ui/prompt_tracker.h"
#include "ui/tray_icon.h"
#include "ui_fixture.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace vontal {
namespace {

class TrayTest : public UiFixture {
protected:
    TrayTest()
        : prompts(sim.alerts), tray(
                                   *manager, prompts, [this] { ++opened; }, [this] { ++quits; }) {}

    // A device the user connected from the discovered list; its link comes up on settle().
    BluetoothUuid connectDevice(std::uint64_t address, const std::string& name,
                                std::optional<std::string> customName = std::nullopt) {
        const BluetoothUuid id = identifierForAddress(address);
        sim.bluetooth.addDevice(vontalDevice(id, name, std::nullopt, std::move(customName)));
        sim.alerts.accept("secret");
        settle();
        for (const PeripheralRef& peripheral : manager->discoveredPeripherals())
            if (peripheral->identifier() == id) {
                manager->connect(peripheral);
                break;
            }
        return id;
    }

    QStringList deviceEntries() const {
        QStringList texts;
        for (const QAction* action : tray.deviceActions()) {
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
            texts << action->text();
        }
        return texts;
    }

    // What the menu shows, separators as "-", hidden entries left out.
    QStringList menuEntries() const {
        QStringList entries;
        for (const QAction* action : tray.menu()->actions())
            if (action->isVisible())
                entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return entries;
    }

    QImage shownIcon() const { return iconImage(tray.icon()->icon(), 32); }

    PromptTracker prompts;
    int opened = 0;
    int quits = 0;
    TrayIcon tray;
};

TEST_F(TrayTest, ToolTipMenuAndIconFollowTheDevicesWhoseLinkIsUp) {
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\nNo device connected");
    EXPECT_EQ(menuEntries(), (QStringList{"Open vontal", "-", "Quit"}));
    EXPECT_EQ(shownIcon(), iconImage(trayIcon(TrayIconState::NoneConnected, false), 32));

    const BluetoothUuid pad = connectDevice(0x01, "Vontal Pad");
    // Asked for, not up yet: not connected for the tray.
    turnQtLoop();
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\nNo device connected");
    settle();
    ASSERT_EQ(sim.bluetooth.linkState(pad), PeripheralState::Connected);
    // Labelled as the window labels it: by the name the device reported of itself.
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\n1 device connected:\nVontal Pad");
    EXPECT_EQ(shownIcon(), iconImage(trayIcon(TrayIconState::Connected, false), 32));

    connectDevice(0x02, "VNT-DSP", "Desk & Display");
    settle();
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\n2 devices connected:\nVontal Pad\nDesk & Display");
    // An ampersand in a name is shown, not taken for a shortcut mark.
    EXPECT_EQ(deviceEntries(), (QStringList{"Vontal Pad", "Desk && Display"}));
    EXPECT_EQ(menuEntries(),
              (QStringList{"Open vontal", "-", "Vontal Pad", "Desk && Display", "-", "Quit"}));

    sim.bluetooth.setInRange(pad, false);
    settle();
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\n1 device connected:\nDesk & Display");
    EXPECT_EQ(deviceEntries(), QStringList{"Desk && Display"});
}

TEST_F(TrayTest, AnOpenPasswordAlertShowsAsWaitingUntilItCloses) {
    const QImage atRest = shownIcon();
    bool checked = false;
    sim.alerts.accept("1234", [&] {
        turnQtLoop();
        EXPECT_EQ(prompts.open(), 1);
        EXPECT_TRUE(tray.summary().waitingForPassword);
        EXPECT_TRUE(tray.icon()->toolTip().endsWith("\nA device is waiting for its password"));
        EXPECT_EQ(shownIcon(), iconImage(trayIcon(TrayIconState::NoneConnected, true), 32));
        EXPECT_NE(shownIcon(), atRest);
        checked = true;
    });
    const AlertResponse response = prompts.runModal({"Enter password for Pad", {"OK", "Cancel"}});
    EXPECT_TRUE(checked);
    // What the user answered goes through unchanged.
    EXPECT_EQ(response.button, kAlertFirstButtonReturn);
    EXPECT_EQ(response.text, "1234");
    turnQtLoop();
    EXPECT_EQ(prompts.open(), 0);
    EXPECT_EQ(tray.icon()->toolTip(), "vontal\nNo device connected");
    EXPECT_EQ(shownIcon(), atRest);
}

TEST_F(TrayTest, AClickOrOpenShowsAWindowAndQuitEndsOnTheNextTurn) {
    emit tray.icon()->activated(QSystemTrayIcon::Trigger);
    emit tray.icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(opened, 2);
    // The context click only shows the menu.
    emit tray.icon()->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(opened, 2);
    tray.openAction()->trigger();
    EXPECT_EQ(opened, 3);

    tray.quitAction()->trigger();
    EXPECT_EQ(quits, 0);
    turnQtLoop();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(opened, 3);
}

TEST(TrayIconArtwork, NoneConnectedIsAGreyedCopyAndWaitingAddsAnAmberDot) {
    const QImage connected = iconImage(trayIcon(TrayIconState::Connected, false), 64);
    const QImage none = iconImage(trayIcon(TrayIconState::NoneConnected, false), 64);
    const QImage waiting = iconImage(trayIcon(TrayIconState::Connected, true), 64);
    ASSERT_FALSE(connected.isNull());
    EXPECT_EQ(connected, iconImage(applicationIcon(), 64));

    int colouredPixels = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb grey = none.pixel(x, y);
            EXPECT_TRUE(qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey)) << x << "," << y;
            // Nothing drawn where the artwork has nothing.
            if (qAlpha(connected.pixel(x, y)) == 0) {
                EXPECT_EQ(qAlpha(grey), 0) << x << "," << y;
            }
            const QRgb colour = connected.pixel(x, y);
            if (qRed(colour) != qGreen(colour) || qGreen(colour) != qBlue(colour))
                ++colouredPixels;
        }
    EXPECT_GT(colouredPixels, 64 * 64 / 4);

    // The dot sits in the top right corner; the rest is the artwork unchanged.
    const QRgb dot = waiting.pixel(54, 10);
    EXPECT_GT(qRed(dot), 200);
    EXPECT_LT(qBlue(dot), 80);
    EXPECT_EQ(waiting.pixel(10, 54), connected.pixel(10, 54));
}

} // namespace
} // namespace vontal
