// vontal starting while the desktop's services hang: a GNOME Shell, a KWin and a tray watcher that
// own their bus names and never answer, and a bluetoothd that does not answer until it recovers.
// The window shows all the same, and the device unlocks once bluetoothd answers, well within the
// time a call left to the bus's default timeout (25 s) would take.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QDBusConnectionInterface>

namespace vontal::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Longer than any start takes here, shorter than one call that waits out the default timeout.
constexpr auto kGuard = 15s;

class HungDesktop : public VontalDesktop {
protected:
    // A Wayland session on KDE or GNOME as vontal tells them apart: it asks KWin, then the Shell.
    // Its window still goes to the test's X display.
    QProcessEnvironment environment() const override {
        auto environment = VontalDesktop::environment();
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE:GNOME"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return environment;
    }
};

TEST_F(HungDesktop, TheWindowShowsAndTheDeviceUnlocksWhileShellKwinTrayWatcherAndBluezHang) {
    // vontal's KWin script is installed, so vontal goes as far as asking KWin to load it.
    const fs::path kwinDir = root_ / "data" / "vontal" / "kwin";
    fs::create_directories(kwinDir);
    fs::copy_file(VONTAL_KWIN_SCRIPT, kwinDir / "vontal-frontmost.js");
    session_->launch({"/usr/bin/python3", VONTAL_SILENT_OWNER, "org.gnome.Shell", "org.kde.KWin",
                      "org.kde.StatusNotifierWatcher"});
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return testBus()
                .interface()
                ->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"))
                .value();
        },
        20s))
        << "the silent owner did not start";
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    mock_->setSilent(true);

    startVontal();
    EXPECT_TRUE(
        session_
            ->waitForClientOf(static_cast<pid_t>(vontal_->processId()), testing::deadlineIn(kGuard))
            .has_value())
        << "no window while the desktop hangs";
    EXPECT_TRUE(waitForVontalLine(
        "bluetoothd does not answer (no reply from org.bluez within 2 s); vontal asks again every "
        "few seconds and uses it once it answers",
        kGuard));
    // bluetoothd recovers; vontal picks it up by itself.
    mock_->setSilent(false);
    EXPECT_TRUE(waitForRecord(
        [&](const std::vector<test::MockOperation>& operations) {
            return !test::only(operations, "StartNotify", kDeskAddress, kDataUuid).empty();
        },
        kGuard))
        << "the device did not unlock while the desktop hangs";
    // Nor does the way out wait on them.
    EXPECT_EQ(terminateVontal(), 0);
}

} // namespace
} // namespace vontal::e2e
