// vontal's main job goes on with no window open: closing the window through the window manager
// leaves vontal running and the devices hearing names; a second start brings a window back; a
// termination signal ends vontal cleanly, every device seeing its link dropped and every stored
// password kept. Every signal that ends a session or a terminal takes that same way out, and a
// reader of vontal's output that goes away ends nothing.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QDir>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

std::size_t count(const std::vector<test::MockOperation>& operations, const std::string& kind,
                  const std::string& address) {
    return test::only(operations, kind, address).size();
}

TEST_F(VontalDesktop, ClosingTheWindowKeepsTheDevicesHearingNamesUntilATerminationSignal) {
    addProgramEntries();
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    mock_->addVontalDevice(kLampAddress, "Lamp", "open 42", "Stehlampe");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")},
                   {QString::fromStdString(kLampIdentifier), QStringLiteral("open 42")}});
    const xcb_window_t xterm = launch({"xterm"});
    const xcb_window_t start =
        session_->createWindow({std::string("start\0Start\0", 12), {}, {}, {}});
    ASSERT_TRUE(xterm && start);

    startVontal();
    const xcb_window_t window = vontalWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    ASSERT_TRUE(waitForPaired(kLampAddress));

    ASSERT_TRUE(closeThroughWindowManager(window));
    ASSERT_TRUE(test::waitUntil([&] { return !windowExists(window); }, 10s))
        << "the window manager did not close vontal's window";
    EXPECT_TRUE(vontalRunning());

    // The window manager gave the focus to some window when vontal's went; from a known one on,
    // the next activation reaches each device as one write without response.
    ASSERT_TRUE(activate(start));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return !names.empty() && names.back() == "Startfenster";
    }));
    const std::size_t before = namesReceived(kDeskAddress).size();
    ASSERT_TRUE(activate(xterm));
    ASSERT_TRUE(waitForNames(kDeskAddress, before + 1));
    EXPECT_EQ(namesReceived(kDeskAddress).back(), "XTerm");
    EXPECT_EQ(namesReceived(kDeskAddress).size(), before + 1);
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kLampAddress);
        return !names.empty() && names.back() == "XTerm";
    }));

    // Starting vontal again hands over to the running one, which opens a window.
    EXPECT_EQ(startVontalAgain(), 0);
    EXPECT_NE(vontalWindow(), 0u) << "a second start opened no window";
    EXPECT_TRUE(vontalRunning());

    // A logout: both links are dropped on the device's side before vontal is gone.
    EXPECT_EQ(count(mock_->operations(), "Disconnect", kDeskAddress), 0u);
    EXPECT_EQ(terminateVontal(), 0);
    const auto operations = mock_->operations();
    EXPECT_EQ(count(operations, "Disconnect", kDeskAddress), 1u);
    EXPECT_EQ(count(operations, "Disconnect", kLampAddress), 1u);

    // Nothing stored was lost on the way out.
    const QJsonObject settings = readSettings();
    EXPECT_EQ(settings.value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("sesame"));
    EXPECT_EQ(settings.value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open 42"));
    const QJsonObject names = settings.value(QStringLiteral("vontal.deviceNames")).toObject();
    EXPECT_EQ(names.value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("Schreibtisch"));
    EXPECT_EQ(names.value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("Stehlampe"));
}

// The instance sockets in vontal's runtime folder: one while it runs, none after a clean end.
QStringList instanceSockets(const std::filesystem::path& root) {
    return QDir(QString::fromStdString((root / "runtime").string()))
        .entryList({"*.instance"}, QDir::System | QDir::Hidden);
}

TEST_F(VontalDesktop, EveryTerminationSignalAndALostReaderEndVontalCleanly) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    // Starts vontal until the desk is paired; false when it does not get there. Each start has a
    // record of its own.
    const auto startPaired = [&] {
        mock_->clearOperations();
        startVontal();
        return vontal_ && waitForPaired(kDeskAddress) && instanceSockets(root_).size() == 1;
    };
    // Sends the signals back to back, as logind does, and checks the way out.
    const auto endWith = [&](std::initializer_list<int> sent, const char* what) {
        SCOPED_TRACE(what);
        for (const int signal : sent)
            ASSERT_EQ(::kill(static_cast<pid_t>(vontal_->processId()), signal), 0);
        ASSERT_TRUE(vontal_->waitForFinished(20000));
        EXPECT_EQ(vontal_->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vontal_->exitCode(), 0);
        EXPECT_EQ(count(mock_->operations(), "Disconnect", kDeskAddress), 1u);
        EXPECT_TRUE(instanceSockets(root_).isEmpty())
            << instanceSockets(root_).join(' ').toStdString();
        // The name read during the handshake is saved within a second; a quit in that second
        // writes it on the way out. The password is never lost.
        const QJsonObject settings = readSettings();
        EXPECT_EQ(settings.value(QString::fromStdString(kDeskIdentifier)).toString(),
                  QStringLiteral("sesame"));
        EXPECT_EQ(settings.value(QStringLiteral("vontal.deviceNames"))
                      .toObject()
                      .value(QString::fromStdString(kDeskIdentifier))
                      .toString(),
                  QStringLiteral("Schreibtisch"));
        writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    };

    ASSERT_TRUE(startPaired());
    endWith({SIGHUP, SIGTERM}, "a logout");
    ASSERT_TRUE(startPaired());
    endWith({SIGHUP}, "a closed terminal");
    ASSERT_TRUE(startPaired());
    endWith({SIGQUIT}, "Ctrl+\\");
    ASSERT_TRUE(startPaired());
    endWith({SIGINT}, "Ctrl+C");

    // The reader of standard output goes away; the lines written after that (a second device
    // found, paired and named) go nowhere, and vontal carries on.
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")},
                   {QString::fromStdString(kLampIdentifier), QStringLiteral("open 42")}});
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    mock_->clearOperations();
    startVontalWritingTo(output[1]);
    ::close(output[1]);
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    ::close(output[0]);
    mock_->addVontalDevice(kLampAddress, "Lamp", "open 42", "Stehlampe");
    ASSERT_TRUE(test::waitUntil([&] {
        return !vontalRunning() ||
               !test::only(mock_->operations(), "StartNotify", kLampAddress, kDataUuid).empty();
    }));
    ASSERT_TRUE(vontalRunning()) << "vontal ended with exit code " << vontal_->exitCode()
                                 << (vontal_->exitStatus() == QProcess::CrashExit ? " (a signal)"
                                                                                  : "");
    endWith({SIGTERM}, "a logout after the reader went");
    EXPECT_EQ(count(mock_->operations(), "Disconnect", kLampAddress), 1u);
}

} // namespace
} // namespace vontal::e2e
