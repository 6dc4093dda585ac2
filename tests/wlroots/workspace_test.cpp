// The wlroots workspace on a real compositor: headless sway with Wayland programs (foot under
// several app_ids) and an X11 program on Xwayland (xterm), desktop entries in private XDG
// directories, windows switched with swaymsg. One desktop serves the activation tests; each test
// watches it with a workspace of its own. The choice of observer and a compositor that goes away
// get desktops of their own.
#include "platform/desktop/desktop_workspace.h"
#include "platform/frontmost/silent_workspace.h"
#include "platform/wlroots/wlroots_workspace.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/wayland_session.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <thread>

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
using testing::ScopedEnvironment;
using testing::WaylandSession;
using testing::writeEntry;

struct Desktop {
    fs::path root;
    std::unique_ptr<WaylandSession> session;
    // Process ids, the criteria by which swaymsg focuses each window.
    pid_t start = 0; // in front between tests
    pid_t foot1 = 0; // two windows of one application
    pid_t foot2 = 0;
    pid_t notes = 0;    // changes its title all the time
    pid_t shouting = 0; // app_id differing from its entry's id in case only
    pid_t stranger = 0; // app_id no entry claims
};
Desktop* gDesktop = nullptr;

std::string byPid(pid_t pid) {
    return "pid=" + std::to_string(pid);
}

class WlrootsWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.focus(byPid(desktop.start)));
        std::string whyNot;
        workspace =
            WlrootsWorkspace::connect(diagnostics, session.waylandDisplay().c_str(), whyNot);
        ASSERT_TRUE(workspace) << whyNot;
        subscription = workspace->observeActivations(recorder.observer());
    }

    void TearDown() override {
        EXPECT_FALSE(recorder.offMainThread);
        EXPECT_TRUE(diagnostics.lines.empty());
    }

    // Focuses a window with swaymsg and waits until the workspace has posted `expectedCount`
    // notifications in all.
    void activate(const std::string& criteria, std::size_t expectedCount) {
        ASSERT_TRUE(session.focus(criteria)) << criteria;
        EXPECT_TRUE(processEventsUntil([&] { return recorder.names.size() >= expectedCount; }, 5s))
            << "got " << recorder.names.size() << " of " << expectedCount << " after " << criteria;
    }

    Desktop& desktop = *gDesktop;
    WaylandSession& session = *gDesktop->session;
    RecordingDiagnostics diagnostics;
    Recorder recorder;
    std::unique_ptr<WlrootsWorkspace> workspace;
    Subscription subscription;
};

TEST_F(WlrootsWorkspaceTest, ApplicationChangesAreActivationsAndOtherWindowsOfItAreNot) {
    // Where we start is known, and not an activation.
    EXPECT_EQ(workspace->protocolVersion(), 3u);
    ASSERT_TRUE(workspace->frontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Startfenster");

    activate(byPid(desktop.foot1), 1);
    activate(byPid(desktop.notes), 2);
    activate(byPid(desktop.foot1), 3);
    // A second window of the application in front.
    ASSERT_TRUE(session.focus(byPid(desktop.foot2)));
    activate("class=\"^XTerm$\"", 4);
    activate(byPid(desktop.foot2), 5);
    EXPECT_EQ(recorder.names,
              (Names{"Fu\xc3\x9f", "Notizen", "Fu\xc3\x9f", "XTerm", "Fu\xc3\x9f"}));
    ASSERT_TRUE(workspace->frontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Fu\xc3\x9f");
}

TEST_F(WlrootsWorkspaceTest, TitleChangesOfTheFrontWindowAreNoActivation) {
    activate(byPid(desktop.notes), 1);
    // The compositor describes the window again with every new title; wait for two of them.
    std::set<std::string> titles;
    QTimer lookAgain;
    lookAgain.start(20ms);
    EXPECT_TRUE(processEventsUntil(
        [&] {
            if (const auto title = session.focusedTitle())
                titles.insert(*title);
            return titles.size() >= 3;
        },
        10s));
    activate(byPid(desktop.foot1), 2);
    EXPECT_EQ(recorder.names, (Names{"Notizen", "Fu\xc3\x9f"}));
}

TEST_F(WlrootsWorkspaceTest, OnlyAGapThatLastsMakesTheSameApplicationAnActivationAgain) {
    activate(byPid(desktop.foot1), 1);
    // An empty workspace: no window has the focus.
    ASSERT_TRUE(session.swaymsg({"workspace", "2"}));
    EXPECT_TRUE(processEventsUntil([&] { return !workspace->frontApplication(); }, 5s));
    EXPECT_EQ(workspace->frontmostApplication(), nullptr);
    ASSERT_TRUE(session.swaymsg({"workspace", "1"}));
    EXPECT_TRUE(processEventsUntil([&] { return recorder.names.size() >= 2; }, 5s));
    // Away and back, far quicker than a gap lasts: both steps reach the workspace in one read,
    // each handled in turn.
    ASSERT_TRUE(session.swaymsg({"workspace", "2"}));
    ASSERT_TRUE(session.swaymsg({"workspace", "1"}));
    activate(byPid(desktop.notes), 3);
    EXPECT_EQ(recorder.names, (Names{"Fu\xc3\x9f", "Fu\xc3\x9f", "Notizen"}));
}

TEST_F(WlrootsWorkspaceTest, AppIdsResolveByIdInAnyCaseAndUnclaimedOnesAreNamedByTheirId) {
    activate(byPid(desktop.shouting), 1);
    activate(byPid(desktop.stranger), 2);
    ASSERT_TRUE(workspace->frontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "vontal.stranger");
    activate(byPid(desktop.foot1), 3);
    EXPECT_EQ(recorder.names, (Names{"Laut", "vontal.stranger", "Fu\xc3\x9f"}));
}

TEST_F(WlrootsWorkspaceTest, EntryInstalledWhileRunningNamesItsWindows) {
    const pid_t newcomer = session.launch({"foot", "--app-id=vontal.newcomer"});
    ASSERT_TRUE(session.waitForWindow("vontal.newcomer", deadlineIn(10s)));
    activate(byPid(newcomer), 1);
    EXPECT_EQ(recorder.names.back(), "vontal.newcomer");

    const fs::path entry = desktop.root / "data-home" / "applications" / "vontal.newcomer.desktop";
    writeEntry(entry, "Name=Newcomer\nName[de]=Neuzugang\nExec=foot\n");
    // GIO notices the new entry on its own time; switch back and forth until it has.
    EXPECT_TRUE(processEventsUntil(
        [&] {
            activate(byPid(desktop.foot1), recorder.names.size() + 1);
            activate(byPid(newcomer), recorder.names.size() + 1);
            return recorder.names.back() == "Neuzugang";
        },
        15s));
    fs::remove(entry);
}

TEST(DesktopWorkspaceOnWayland, WlrootsCompositorGetsTheWlrootsObserver) {
    // No session type: a Wayland display alone makes it a Wayland session.
    ScopedEnvironment environment;
    environment.set("XDG_SESSION_TYPE", nullptr);
    environment.set("WAYLAND_DISPLAY", gDesktop->session->waylandDisplay().c_str());
    RecordingDiagnostics diagnostics;
    const auto observer = makeDesktopObserver(diagnostics);
    EXPECT_NE(dynamic_cast<WlrootsWorkspace*>(observer.workspace.get()), nullptr);
    EXPECT_FALSE(observer.status.unobservedDesktop);
    EXPECT_TRUE(diagnostics.lines.empty());
}

TEST(DesktopWorkspaceOnWayland, CompositorWithoutTheProtocolIsNamedInOneLine) {
    char pattern[] = "/tmp/vontal-weston-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    {
        WaylandSession weston(pattern, WaylandSession::Compositor::Weston);
        ScopedEnvironment environment;
        environment.set("XDG_SESSION_TYPE", "wayland");
        environment.set("WAYLAND_DISPLAY", weston.waylandDisplay().c_str());
        environment.set("XDG_CURRENT_DESKTOP", "Weston");
        RecordingDiagnostics diagnostics;
        const auto observer = makeDesktopObserver(diagnostics);
        EXPECT_NE(dynamic_cast<SilentWorkspace*>(observer.workspace.get()), nullptr);
        EXPECT_EQ(observer.status.unobservedDesktop, "Weston");
        ASSERT_EQ(diagnostics.lines.size(), 1u);
        EXPECT_EQ(diagnostics.lines[0],
                  "Application activations are not observed on this desktop yet (Wayland session "
                  "on Weston: the compositor does not offer zwlr_foreign_toplevel_manager_v1; "
                  "names are sent on wlroots compositors such as sway, Hyprland, labwc, river, "
                  "Wayfire and niri, and on X11 sessions)");
    }
    fs::remove_all(pattern);
}

TEST(WlrootsWorkspaceGone, CompositorGoingAwayIsOneLineAndNoFrontApplication) {
    char pattern[] = "/tmp/vontal-sway-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    {
        WaylandSession sway(pattern);
        const pid_t foot = sway.launch({"foot"});
        ASSERT_TRUE(sway.waitForWindow("foot", deadlineIn(10s)));
        ASSERT_TRUE(sway.focus(byPid(foot)));
        RecordingDiagnostics diagnostics;
        std::string whyNot;
        auto workspace =
            WlrootsWorkspace::connect(diagnostics, sway.waylandDisplay().c_str(), whyNot);
        ASSERT_TRUE(workspace) << whyNot;
        ASSERT_TRUE(workspace->frontmostApplication());
        EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Fu\xc3\x9f");
        Recorder recorder;
        auto subscription = workspace->observeActivations(recorder.observer());

        sway.killCompositor();
        EXPECT_TRUE(processEventsUntil([&] { return !diagnostics.lines.empty(); }, 5s));
        // Whatever else the loop still has, the dead connection is not read again.
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(diagnostics.lines,
                  (std::vector<std::string>{"Wayland compositor connection lost: application "
                                            "activations are no longer observed"}));
        EXPECT_EQ(workspace->frontmostApplication(), nullptr);
        EXPECT_TRUE(recorder.names.empty());
    }
    fs::remove_all(pattern);
}

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null").c_str()) == 0;
}

// A second wlroots compositor: what holds on sway holds on labwc (Debian 13 on; Debian 12 has
// none, and wlrctl, which focuses its windows here, neither).
TEST(WlrootsWorkspaceOnLabwc, EachSwitchBetweenApplicationsIsOneActivation) {
    if (!onPath("labwc") || !onPath("wlrctl"))
        GTEST_SKIP() << "labwc or wlrctl is not installed";
    char pattern[] = "/tmp/vontal-labwc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    {
        WaylandSession labwc(pattern, WaylandSession::Compositor::Labwc);
        for (const char* appId : {"vontal.start", "foot", "org.vontal.Notes"}) {
            labwc.launch({"foot", "--app-id="s + appId});
            ASSERT_TRUE(labwc.waitForWindow(appId, deadlineIn(20s))) << appId;
        }
        ASSERT_TRUE(labwc.focus("app_id:vontal.start"));
        RecordingDiagnostics diagnostics;
        std::string whyNot;
        auto workspace =
            WlrootsWorkspace::connect(diagnostics, labwc.waylandDisplay().c_str(), whyNot);
        ASSERT_TRUE(workspace) << whyNot;
        EXPECT_EQ(workspace->protocolVersion(), 3u);
        ASSERT_TRUE(processEventsUntil(
            [&] {
                const auto front = workspace->frontmostApplication();
                return front && front->localizedName == "Startfenster";
            },
            5s));
        Recorder recorder;
        auto subscription = workspace->observeActivations(recorder.observer());
        std::size_t expected = 0;
        for (const char* appId : {"foot", "org.vontal.Notes", "foot"}) {
            ASSERT_TRUE(labwc.focus("app_id:"s + appId)) << appId;
            ++expected;
            EXPECT_TRUE(processEventsUntil([&] { return recorder.names.size() >= expected; }, 5s))
                << "no activation for " << appId;
        }
        EXPECT_EQ(recorder.names, (Names{"Fu\xc3\x9f", "Notizen", "Fu\xc3\x9f"}));
        EXPECT_TRUE(diagnostics.lines.empty());
    }
    fs::remove_all(pattern);
}

void writeTestEntries(const fs::path& applications) {
    writeEntry(applications / "vontal.start.desktop",
               "Name=Start\nName[de]=Startfenster\nExec=foot\n");
    writeEntry(applications / "foot.desktop", "Name=Foot\nName[de]=Fu\xc3\x9f\nExec=foot\n");
    writeEntry(applications / "org.vontal.Notes.desktop",
               "Name=Notes\nName[de]=Notizen\nExec=foot\n");
    writeEntry(applications / "org.vontal.shouting.desktop",
               "Name=Loud\nName[de]=Laut\nExec=foot\n");
}

pid_t launchAndWait(WaylandSession& session, const std::vector<std::string>& argv,
                    const std::string& appIdOrClass) {
    const pid_t pid = session.launch(argv);
    if (!session.waitForWindow(appIdOrClass, deadlineIn(20s)))
        throw std::runtime_error("no window from " + argv[0]);
    return pid;
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace vontal;
    ::testing::InitGoogleTest(&argc, argv);
    char pattern[] = "/tmp/vontal-wlroots-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    Desktop desktop;
    desktop.root = pattern;
    int result = 1;
    try {
        // The programs see the system's data directories; the workspace in this process sees the
        // test entries first, in German where they have one, then the system's (xterm's).
        desktop.session =
            std::make_unique<vontal::testing::WaylandSession>(desktop.root / "session");
        fs::create_directories(desktop.root / "data-home" / "applications");
        fs::create_directories(desktop.root / "data" / "applications");
        writeTestEntries(desktop.root / "data" / "applications");
        setenv("XDG_DATA_HOME", (desktop.root / "data-home").c_str(), 1);
        setenv("XDG_DATA_DIRS", (desktop.root / "data").string().append(":/usr/share").c_str(), 1);
        setenv("LANGUAGE", "de", 1);

        auto& session = *desktop.session;
        desktop.start = launchAndWait(session, {"foot", "--app-id=vontal.start"}, "vontal.start");
        desktop.foot1 = launchAndWait(session, {"foot"}, "foot");
        desktop.foot2 = session.launch({"foot"});
        if (!session.waitForNode(
                [&](const QJsonObject& node) { return node.value("pid").toInt() == desktop.foot2; },
                vontal::testing::deadlineIn(20s)))
            throw std::runtime_error("no second foot window");
        desktop.notes =
            launchAndWait(session,
                          {"foot", "--app-id=org.vontal.Notes", "sh", "-c",
                           "while :; do printf '\\033]2;%s\\007' \"$(date +%N)\"; sleep 0.1; done"},
                          "org.vontal.Notes");
        desktop.shouting =
            launchAndWait(session, {"foot", "--app-id=ORG.VONTAL.Shouting"}, "ORG.VONTAL.Shouting");
        desktop.stranger =
            launchAndWait(session, {"foot", "--app-id=vontal.stranger"}, "vontal.stranger");
        launchAndWait(session, {"xterm"}, "XTerm");

        int qtArgc = 1;
        char name[] = "vontal_wlroots_workspace_tests";
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
