#include "platform/desktop/desktop_workspace.h"
#include "platform/frontmost/application_catalog.h"
#include "platform/frontmost/silent_workspace.h"
#include "platform/x11/window_facts.h"
#include "tests/support/desktop/observer_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vontal {
namespace {

using testing::RecordingDiagnostics;
using testing::ScopedEnvironment;

TEST(Latin1ToUtf8, HighBytesBecomeTwoByteSequences) {
    EXPECT_EQ(latin1ToUtf8("XTerm"), "XTerm");
    EXPECT_EQ(latin1ToUtf8("Caf\xe9"), "Caf\xc3\xa9");
    EXPECT_EQ(latin1ToUtf8("\xa0\xff"), "\xc2\xa0\xc3\xbf");
    EXPECT_EQ(latin1ToUtf8(""), "");
}

TEST(Interpreters, VersionedInterpretersAreRecognisedAndApplicationsAreNot) {
    for (const char* name : {"sh", "bash", "python3", "python3.11", "java", "electron25", "lua5.4"})
        EXPECT_TRUE(isInterpreter(name)) << name;
    for (const char* name : {"xterm", "gucharmap", "pythonista", "shotwell", "x11"})
        EXPECT_FALSE(isInterpreter(name)) << name;
}

TEST(WaylandSession, SessionTypeDecidesAndWaylandDisplayOnlyWhenTypeIsUnknown) {
    EXPECT_TRUE(isWaylandSession("wayland", nullptr));
    EXPECT_TRUE(isWaylandSession("wayland", ""));
    EXPECT_FALSE(isWaylandSession("x11", "wayland-0"));
    EXPECT_TRUE(isWaylandSession(nullptr, "wayland-0"));
    EXPECT_TRUE(isWaylandSession("tty", "wayland-0"));
    EXPECT_FALSE(isWaylandSession(nullptr, ""));
    EXPECT_FALSE(isWaylandSession(nullptr, nullptr));
}

bool isSilent(const Workspace& workspace) {
    return dynamic_cast<const SilentWorkspace*>(&workspace) != nullptr;
}

TEST(DesktopName, FirstOfTheCurrentDesktopsThenTheSessionDesktop) {
    EXPECT_EQ(desktopName("ubuntu:GNOME", "ubuntu"), "ubuntu");
    EXPECT_EQ(desktopName("KDE", nullptr), "KDE");
    EXPECT_EQ(desktopName("", "sway"), "sway");
    EXPECT_EQ(desktopName(nullptr, nullptr), "an unknown compositor");
}

TEST(DesktopWorkspace, UnreachableWaylandCompositorSaysSoOnceAndObservesNothing) {
    ScopedEnvironment environment;
    environment.set("XDG_SESSION_TYPE", "wayland");
    environment.set("WAYLAND_DISPLAY", "/nonexistent/vontal-test/wayland-0");
    environment.set("XDG_CURRENT_DESKTOP", "KDE");
    environment.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vontal-test/bus");
    RecordingDiagnostics diagnostics;

    const auto observer = makeDesktopObserver(diagnostics);
    const auto& workspace = observer.workspace;

    ASSERT_TRUE(workspace);
    EXPECT_TRUE(isSilent(*workspace));
    // The window names the desktop where names are not sent.
    EXPECT_EQ(observer.status.unobservedDesktop, "KDE");
    EXPECT_EQ(observer.status.busName, nullptr);
    ASSERT_EQ(diagnostics.lines.size(), 1u);
    EXPECT_EQ(diagnostics.lines[0],
              "Application activations are not observed on this desktop yet (Wayland session on "
              "KDE: no session bus; on KDE Plasma names are sent once KWin runs vontal's script)");
    int calls = 0;
    auto subscription = workspace->observeActivations([&](const Notification&) { ++calls; });
    EXPECT_TRUE(subscription.active());
    EXPECT_EQ(calls, 0);
}

TEST(DesktopWorkspace, UnreachableXDisplaySaysSoOnceAndObservesNothing) {
    ScopedEnvironment environment;
    environment.set("XDG_SESSION_TYPE", "x11");
    environment.set("WAYLAND_DISPLAY", nullptr);
    environment.set("DISPLAY", nullptr);
    RecordingDiagnostics diagnostics;

    const auto observer = makeDesktopObserver(diagnostics);

    ASSERT_TRUE(observer.workspace);
    EXPECT_TRUE(isSilent(*observer.workspace));
    EXPECT_TRUE(observer.status.unobservedDesktop);
    ASSERT_EQ(diagnostics.lines.size(), 1u);
    EXPECT_NE(diagnostics.lines[0].find("cannot connect to the X display"), std::string::npos);
}

} // namespace
} // namespace vontal
