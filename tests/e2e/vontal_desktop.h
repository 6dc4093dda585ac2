#pragma once

// One scenario's world: a private X11 desktop (Xvfb, openbox, a session bus) with real programs,
// the BlueZ stand-in on the private system bus, and the vontal program itself, started as a child
// with a home, settings, data and runtime directories of its own. Everything started here is
// stopped by process id when the fixture goes, whatever the outcome.

#include "tests/support/bluez/bluez_mock_client.h"
#include "tests/support/desktop/secret_service.h"
#include "tests/support/desktop/x_session.h"
#include "tests/support/e2e/vontal_environment.h"

#include <QDBusConnection>
#include <QJsonObject>
#include <QProcess>
#include <QVariant>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal::e2e {

inline const std::string kDataUuid = "86ea8d4d-d290-41cb-83ef-172b10165725";
inline const std::string kPasswordUuid = "b549b710-bfde-44ab-a496-b8dfa77d606a";
inline const std::string kDeviceNameUuid = "5e3c0a0c-9f7b-4bde-8f62-6e8e0c6e3a01";
// The two devices the scenarios use, by address and by vontal's identifier.
inline const std::string kDeskAddress = "C0:FF:EE:00:00:01";
inline const std::string kDeskIdentifier = "00000000-0000-0000-0000-C0FFEE000001";
inline const std::string kLampAddress = "C0:FF:EE:00:00:02";
inline const std::string kLampIdentifier = "00000000-0000-0000-0000-C0FFEE000002";

// The title of vontal's password alert; vontal runs with LANGUAGE=de.
inline const std::string kAlertTitle = "vontal-Passwort";

class VontalDesktop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The desktop vontal runs on: an X11 one (session_) unless a scenario starts another.
    virtual void startDesktop();
    virtual void stopDesktop() { session_.reset(); }
    virtual QProcessEnvironment environment() const;

    // A stand-in for the desktop's tray host on the session bus; up before vontal starts, so that
    // vontal's item registers with it.
    void startTrayHost();
    // Ends the stand-in (by its process id) and waits until its name is gone from the bus.
    void stopTrayHost();
    // The desktop's keyring (a real Secret Service) on the session bus, its files in vontal's
    // data directory; up before vontal starts, unless a scenario starts it later.
    void startKeyring();
    // A connection of the test's own to the desktop's session bus.
    QDBusConnection& testBus();
    // Asks the stand-in, which reads vontal's item as a panel does (status_notifier_watcher.py).
    QVariant trayHost(const QString& method, const QVariantList& arguments = {});

    // Desktop entries that only vontal sees (the programs keep the system's data directories).
    void addDesktopEntry(const std::string& fileName, const std::string& body);
    // The entries of the programs the scenarios bring to the front, with their names in German
    // where they have one; vontal runs with LANGUAGE=de.
    void addProgramEntries();

    // vontal's settings file, in the form it keeps it (one JSON object, key to value).
    std::filesystem::path settingsPath() const;
    void writeSettings(const QJsonObject& entries);
    QJsonObject readSettings() const;

    void startVontal();
    // As startVontal, with vontal's standard output on `output`, a descriptor of this process
    // (the write end of a pipe whose reader a scenario controls), instead of the fixture's pipe.
    void startVontalWritingTo(int output);
    // Another start of vontal with the same environment, as a launcher would do it; its exit
    // status, or -1 when it did not end by itself.
    int startVontalAgain();
    // Ends vontal with SIGTERM, as a session logout does; its exit status, or -1 when it did not
    // end by itself or ended by the signal.
    int terminateVontal();
    // Closes a window as the user does: the window manager asks its program to close it.
    bool closeThroughWindowManager(xcb_window_t window);
    // vontal's process is still there.
    bool vontalRunning() const;
    // vontal's main window, once the window manager manages it.
    xcb_window_t vontalWindow();
    // Lines vontal wrote to standard output so far.
    std::vector<std::string> vontalLines();
    bool waitForVontalLine(const std::string& line,
                           std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // A program's first managed window, or 0 when none comes.
    xcb_window_t launch(const std::vector<std::string>& argv);
    // The first managed window other than `except` whose title is `title`, or 0 at the deadline.
    xcb_window_t waitForWindowTitled(const std::string& title, xcb_window_t except,
                                     std::chrono::milliseconds timeout);
    // The managed windows titled so now.
    std::vector<xcb_window_t> windowsTitled(const std::string& title);
    std::string titleOf(xcb_window_t window);
    bool windowExists(xcb_window_t window);
    bool xdotool(const std::vector<std::string>& arguments);
    // xdotool windowactivate --sync: the window manager has switched when this returns.
    bool activate(xcb_window_t window);

    // Waits (with the Qt loop running) until the mock's record satisfies `done`.
    bool waitForRecord(const std::function<bool(const std::vector<test::MockOperation>&)>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Writes without response to a device's data characteristic, keep-alives (one zero byte)
    // left out: the application names it received, in order.
    std::vector<std::string> namesReceived(const std::string& address);
    bool waitForNames(const std::string& address, std::size_t count);
    // Brings programs to the front in turn (each function says whether it could) and checks that
    // the device hears exactly each one's name, once per switch, in order.
    void expectOneNamePerSwitch(
        const std::string& address,
        const std::vector<std::pair<std::function<bool()>, std::string>>& switches);
    // The device finished its handshake: notifications on its data characteristic are on.
    bool waitForPaired(const std::string& address);

    std::filesystem::path root_;
    std::unique_ptr<testing::XSession> session_;
    std::unique_ptr<test::BluezMock> mock_;
    std::unique_ptr<QProcess> vontal_;
    std::unique_ptr<QDBusConnection> trayBus_;
    std::unique_ptr<testing::SecretServiceDaemon> keyring_;
    pid_t trayHostPid_ = 0;
    std::vector<std::string> output_;
    std::string partialLine_;
};

std::string textOf(const std::vector<std::uint8_t>& bytes);

} // namespace vontal::e2e
