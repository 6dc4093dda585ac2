// The X11 workspace on a real desktop: Xvfb, openbox, a session bus, xterm and gucharmap with
// desktop entries in private XDG directories, windows switched with xdotool. One desktop serves
// every test; each test watches it with a workspace of its own.
#include "platform/desktop/desktop_workspace.h"
#include "platform/x11/x11_workspace.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/x_session.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace vontal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::deadlineIn;
using testing::Names;
using testing::processEventsUntil;
using testing::Recorder;
using testing::RecordingDiagnostics;
using testing::writeEntry;
using testing::XSession;

// Everything the tests share: the desktop, its programs and their windows.
struct Desktop {
    fs::path root;
    std::unique_ptr<XSession> session;
    xcb_window_t start = 0;  // a window of no particular application, in front between tests
    xcb_window_t xterm1 = 0; // two windows of one application
    xcb_window_t xterm2 = 0;
    xcb_window_t charmap = 0;  // gucharmap's main window
    xcb_window_t stranger = 0; // an xterm whose class no entry names
    xcb_window_t message = 0;  // xmessage: neither its class nor its program has an entry
    // Windows of our own that carry the hints toolkits set.
    xcb_window_t spaetzle = 0;   // Latin-1 WM_CLASS that an entry names in UTF-8
    xcb_window_t cafe = 0;       // Latin-1 WM_CLASS and no entry
    xcb_window_t cafeDialog = 0; // transient for cafe
    xcb_window_t classless = 0;  // no WM_CLASS, this process's pid
    xcb_window_t probe = 0;      // _GTK_APPLICATION_ID
    xcb_window_t qtMain = 0;     // a Qt program whose button opens a dialog without a parent
};
Desktop* gDesktop = nullptr;

// Runs xdotool while the event loop keeps serving the workspace, so that it sees every step of a
// switch as it happens (openbox clears the focus for an instant on most switches), not only the
// end of it.
bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start("timeout", QStringList{"10", "xdotool"} + arguments);
    const bool finished =
        processEventsUntil([&] { return process.state() == QProcess::NotRunning; }, 15s);
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool bringToFront(xcb_window_t window) {
    return xdotool({"windowactivate", "--sync", QString::number(window)});
}

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.session->activate(desktop.start));
        workspace = X11Workspace::connect(diagnostics, desktop.session->display().c_str());
        ASSERT_TRUE(workspace);
        subscription = workspace->observeActivations(recorder.observer());
    }

    void TearDown() override { EXPECT_FALSE(recorder.offMainThread); }

    // Brings a window to the front and waits until the workspace has posted `expectedCount`
    // notifications in all.
    void activate(xcb_window_t window, std::size_t expectedCount) {
        ASSERT_TRUE(bringToFront(window));
        EXPECT_TRUE(processEventsUntil([&] { return recorder.names.size() >= expectedCount; }, 5s))
            << "got " << recorder.names.size() << " of " << expectedCount << " notifications";
    }

    // Runs the event loop, so the workspace follows every step, until the window in front
    // satisfies `matches`; that window, or nullopt when time is up.
    std::optional<xcb_window_t> waitForFront(const std::function<bool(xcb_window_t)>& matches) {
        // The desktop's own connection is not on the event loop: look again now and then.
        QTimer lookAgain;
        lookAgain.start(20ms);
        std::optional<xcb_window_t> front;
        processEventsUntil(
            [&] {
                if (const auto active = desktop.session->activeWindow();
                    active && *active != 0 && matches(*active))
                    front = active;
                return front.has_value();
            },
            10s);
        return front;
    }

    Desktop& desktop = *gDesktop;
    RecordingDiagnostics diagnostics;
    Recorder recorder;
    std::unique_ptr<X11Workspace> workspace;
    Subscription subscription;
};

TEST_F(WorkspaceTest, EachActivationPostsTheLocalizedNameOnce) {
    activate(desktop.xterm1, 1);
    activate(desktop.charmap, 2);
    activate(desktop.xterm1, 3);
    // The entry for XTerm has no German name; gucharmap's has.
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Zeichentabelle", "XTerm"}));
    EXPECT_TRUE(diagnostics.lines.empty());
}

TEST_F(WorkspaceTest, OtherWindowsAndDialogsOfTheFrontApplicationAreNoActivation) {
    activate(desktop.xterm1, 1);
    ASSERT_TRUE(bringToFront(desktop.xterm2));
    activate(desktop.charmap, 2);
    // gucharmap's Find dialog, transient for its main window.
    ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "ctrl+f"}));
    ASSERT_TRUE(desktop.session->waitForActive(
        [&](xcb_window_t active) {
            return desktop.session->transientForOf(active) == desktop.charmap;
        },
        deadlineIn(10s)));
    // Whatever came of the two switches within one application arrives before this.
    activate(desktop.xterm2, 3);
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Zeichentabelle", "XTerm"}));
}

TEST_F(WorkspaceTest, SameApplicationAfterFocusOnNoWindowIsActivatedAgain) {
    activate(desktop.xterm1, 1);
    ASSERT_TRUE(workspace->frontApplication().has_value());
    // An empty desktop: openbox focuses no window.
    ASSERT_TRUE(xdotool({"set_desktop", "1"}));
    EXPECT_TRUE(processEventsUntil([&] { return !workspace->frontApplication(); }, 5s));
    ASSERT_TRUE(xdotool({"set_desktop", "0"}));
    activate(desktop.xterm1, 2);
    activate(desktop.charmap, 3);
    EXPECT_EQ(recorder.names, (Names{"XTerm", "XTerm", "Zeichentabelle"}));
}

TEST_F(WorkspaceTest, WindowsAreResolvedThroughClassToolkitHintProcessAndParent) {
    activate(desktop.spaetzle, 1);
    activate(desktop.cafe, 2);
    ASSERT_TRUE(bringToFront(desktop.cafeDialog));
    activate(desktop.probe, 3);
    activate(desktop.stranger, 4);
    EXPECT_EQ(recorder.names, (Names{"N\xc3\xbc"
                                     "delchen",
                                     "Caf\xc3\xa9", "Sonde", "Konsole"}));
}

TEST_F(WorkspaceTest, ProgramsWithoutAnEntryGoByTheirClassOrElseTheirExecutable) {
    activate(desktop.message, 1);
    activate(desktop.xterm1, 2);
    activate(desktop.classless, 3);
    activate(desktop.message, 4);
    ASSERT_TRUE(workspace->frontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Xmessage");
    const std::string ownProgram = fs::read_symlink("/proc/self/exe").filename().string();
    EXPECT_EQ(recorder.names, (Names{"Xmessage", "XTerm", ownProgram, "Xmessage"}));
}

TEST_F(WorkspaceTest, ParentlessDialogOfAQtProgramIsItsOwnApplication) {
    auto& session = *desktop.session;
    const auto isDialog = [&](xcb_window_t active) {
        return session.transientForOf(active).has_value();
    };
    // The main window's button has the keyboard focus: space opens the dialog, Escape closes it.
    const auto openDialog = [&] {
        return xdotool({"key", "space"}) ? waitForFront(isDialog) : std::nullopt;
    };

    activate(desktop.qtMain, 1);
    const auto dialog = openDialog();
    ASSERT_TRUE(dialog) << "the dialog did not come to the front";
    EXPECT_NE(session.transientForOf(*dialog), desktop.qtMain);
    // Closed, it hands the focus back to the main window.
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(waitForFront([&](xcb_window_t active) { return active == desktop.qtMain; }));
    activate(desktop.xterm1, 2);

    // Coming to the dialog from another application is an activation of the Qt program.
    activate(desktop.qtMain, 3);
    const auto again = openDialog();
    ASSERT_TRUE(again) << "the dialog did not come to the front again";
    activate(desktop.xterm1, 4);
    activate(*again, 5);
    EXPECT_EQ(recorder.names, (Names{"Qt-Sonde", "XTerm", "Qt-Sonde", "XTerm", "Qt-Sonde"}));

    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_TRUE(waitForFront([&](xcb_window_t active) { return !isDialog(active); }));
}

TEST_F(WorkspaceTest, EntryInstalledWhileRunningNamesItsWindows) {
    auto& session = *desktop.session;
    const pid_t pid = session.launch({"xterm", "-class", "Neuzugang"});
    const auto window = session.waitForClientOf(pid, deadlineIn(10s));
    ASSERT_TRUE(window);
    activate(*window, 1);
    EXPECT_EQ(recorder.names.back(), "Konsole");

    const fs::path entry = desktop.root / "data-home" / "applications" / "neuzugang.desktop";
    writeEntry(entry, "Name=Newcomer\nName[de]=Neuzugang-App\nExec=xterm -class Neuzugang\n"
                      "StartupWMClass=Neuzugang\n");
    // GIO notices the new entry on its own time; switch back and forth until it has.
    EXPECT_TRUE(processEventsUntil(
        [&] {
            activate(desktop.xterm1, recorder.names.size() + 1);
            activate(*window, recorder.names.size() + 1);
            return recorder.names.back() == "Neuzugang-App";
        },
        15s));
    fs::remove(entry);
}

TEST_F(WorkspaceTest, CancelledObserverIsNotCalledAndSubscriptionMayOutliveWorkspace) {
    Recorder other;
    auto otherSubscription = workspace->observeActivations(other.observer());
    otherSubscription.cancel();
    activate(desktop.xterm1, 1);
    EXPECT_TRUE(other.names.empty());
    workspace.reset();
    subscription.cancel();
    EXPECT_FALSE(subscription.active());
}

TEST(DesktopWorkspaceOnX11, FactoryWatchesTheX11Display) {
    RecordingDiagnostics diagnostics;
    const auto observer = makeDesktopObserver(diagnostics);
    EXPECT_NE(dynamic_cast<X11Workspace*>(observer.workspace.get()), nullptr);
    EXPECT_FALSE(observer.status.unobservedDesktop);
    EXPECT_TRUE(diagnostics.lines.empty());
}

void writeTestEntries(const fs::path& applications) {
    writeEntry(applications / "gucharmap.desktop",
               "Name=Character Map\nName[de]=Zeichentabelle\nExec=gucharmap\n");
    writeEntry(applications / "vontal-test-xterm.desktop",
               "Name=XTerm\nExec=xterm\nStartupWMClass=XTerm\n");
    writeEntry(applications / "vontal-test-terminal.desktop",
               "Name=Terminal\nName[de]=Konsole\nExec=xterm\n");
    writeEntry(applications / "org.vontal.Probe.desktop",
               "Name=Probe\nName[de]=Sonde\nExec=true\n");
    writeEntry(applications / "spaetzle.desktop",
               "Name=Noodles\nName[de]=N\xc3\xbc"
               "delchen\nExec=true\nStartupWMClass=Sp\xc3\xa4tzle\n");
    writeEntry(applications / "vontal-test-qt-probe.desktop",
               "Name=Qt Probe\nName[de]=Qt-Sonde\nExec=true\n"
               "StartupWMClass=vontal_x11_qt_dialog_probe\n");
}

xcb_window_t launchAndWait(XSession& session, const std::vector<std::string>& argv) {
    const pid_t pid = session.launch(argv);
    const auto window = session.waitForClientOf(pid, deadlineIn(20s));
    if (!window)
        throw std::runtime_error("no window from " + argv[0]);
    return *window;
}

// For programs that set no _NET_WM_PID (Xaw's): their window is the one with their WM_CLASS.
xcb_window_t launchAndWaitForClass(XSession& session, const std::vector<std::string>& argv,
                                   const std::string& wmClass) {
    session.launch(argv);
    const auto window = session.waitForClient(
        [&](xcb_window_t client) { return session.wmClassOf(client) == wmClass; }, deadlineIn(20s));
    if (!window)
        throw std::runtime_error("no window from " + argv[0]);
    return *window;
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace vontal;
    ::testing::InitGoogleTest(&argc, argv);
    char pattern[] = "/tmp/vontal-x11-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    Desktop desktop;
    desktop.root = pattern;
    int result = 1;
    try {
        // The programs see the system's data directories; the workspace in this process sees
        // only the test entries, in German where they have it.
        desktop.session = std::make_unique<vontal::testing::XSession>(desktop.root / "session");
        fs::create_directories(desktop.root / "data-home" / "applications");
        fs::create_directories(desktop.root / "data" / "applications");
        writeTestEntries(desktop.root / "data" / "applications");
        setenv("XDG_DATA_HOME", (desktop.root / "data-home").c_str(), 1);
        setenv("XDG_DATA_DIRS", (desktop.root / "data").c_str(), 1);
        setenv("LANGUAGE", "de", 1);
        setenv("DISPLAY", desktop.session->display().c_str(), 1);
        setenv("XDG_SESSION_TYPE", "x11", 1);
        unsetenv("WAYLAND_DISPLAY");

        auto& session = *desktop.session;
        using namespace std::string_literals;
        desktop.start = session.createWindow({"start\0Start\0"s, {}, {}, {}});
        desktop.spaetzle = session.createWindow({"sp\xe4tzle\0Sp\xe4tzle\0"s, {}, {}, {}});
        desktop.cafe = session.createWindow({"caf\xe9\0Caf\xe9\0"s, {}, {}, {}});
        desktop.cafeDialog = session.createWindow({"dialog\0Dialog\0"s, {}, desktop.cafe, {}});
        desktop.probe = session.createWindow({"probe\0Probe-bin\0"s, "org.vontal.Probe", {}, {}});
        desktop.xterm1 = launchAndWait(session, {"xterm"});
        desktop.xterm2 = launchAndWait(session, {"xterm"});
        desktop.stranger = launchAndWait(session, {"xterm", "-class", "Fremd"});
        desktop.message = launchAndWaitForClass(session, {"xmessage", "vontal"},
                                                std::string("xmessage\0Xmessage\0", 18));
        desktop.classless =
            session.createWindow({{}, {}, {}, static_cast<std::uint32_t>(getpid())});
        desktop.charmap = launchAndWait(session, {"gucharmap"});
        // Whatever platform the tests themselves are told to use, the probe shows on this desktop.
        desktop.qtMain = launchAndWait(session, {VONTAL_QT_DIALOG_PROBE, "-platform", "xcb"});

        int qtArgc = 1;
        char name[] = "vontal_x11_workspace_tests";
        char* qtArgv[] = {name, nullptr};
        QCoreApplication application(qtArgc, qtArgv);
        gDesktop = &desktop;
        result = RUN_ALL_TESTS();
        gDesktop = nullptr;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "test desktop: %s\n", error.what());
    }
    desktop.session.reset();
    std::error_code ignored;
    fs::remove_all(desktop.root, ignored);
    return result;
}
