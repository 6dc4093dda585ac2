#include "platform/x11/application_resolver.h"
#include "tests/support/desktop/fake_catalog.h"

#include <gtest/gtest.h>
#include <map>

namespace vontal {
namespace {

constexpr WindowId kRoot = 0x100;

class FakeWindows final : public WindowInspector {
public:
    std::map<WindowId, WindowFacts> windows;
    std::optional<WindowFacts> facts(WindowId window) override {
        const auto it = windows.find(window);
        if (it == windows.end())
            return std::nullopt;
        return it->second;
    }
};

WindowFacts withClass(std::string instance, std::string klass) {
    WindowFacts facts;
    facts.instanceName = std::move(instance);
    facts.className = std::move(klass);
    return facts;
}

class ResolverTest : public ::testing::Test {
protected:
    ResolverTest() {
        catalog.add("org.example.Editor.desktop", "Bearbeiter");
        catalog.add("editor-legacy.desktop", "Legacy Editor");
        catalog.add("gucharmap.desktop", "Zeichentabelle");
        catalog.add("org.kde.dolphin.desktop", "Dolphin");
        catalog.add("terminal.desktop", "Konsole");
    }

    std::optional<ResolvedApplication> resolve(WindowId window) {
        ApplicationResolver resolver(
            catalog,
            [this](std::uint32_t pid) -> std::optional<std::string> {
                const auto it = executables.find(pid);
                return it == executables.end() ? std::nullopt : std::optional(it->second);
            },
            "workstation", kRoot);
        return resolver.resolve(windows, window);
    }

    std::optional<std::string> nameOf(WindowId window) {
        const auto app = resolve(window);
        return app ? app->localizedName : std::nullopt;
    }

    FakeWindows windows;
    FakeCatalog catalog;
    std::map<std::uint32_t, std::string> executables;
};

TEST_F(ResolverTest, StartupWmClassMatchesInstanceBeforeClass) {
    catalog.addWmClass("editor", "org.example.Editor.desktop");
    catalog.addWmClass("Editor", "editor-legacy.desktop");
    windows.windows[1] = withClass("editor", "Editor");
    windows.windows[2] = withClass("main", "Editor");

    EXPECT_EQ(resolve(1), (ResolvedApplication{"org.example.Editor.desktop", "Bearbeiter"}));
    EXPECT_EQ(resolve(2), (ResolvedApplication{"editor-legacy.desktop", "Legacy Editor"}));
}

TEST_F(ResolverTest, ClassLowerCasedIsTriedAsDesktopId) {
    windows.windows[1] = withClass("gucharmap", "Gucharmap");
    EXPECT_EQ(nameOf(1), "Zeichentabelle");
}

TEST_F(ResolverTest, ToolkitHintsAreTriedInOrderAfterTheClass) {
    // GTK and KDE hints, with or without the suffix; StartupWMClass outranks them.
    auto gtk = withClass("text-editor", "Text-editor");
    gtk.gtkApplicationId = "org.example.Editor";
    windows.windows[1] = gtk;
    auto kde = withClass("dolphin", "Dolphin-bin");
    kde.kdeDesktopFile = "org.kde.dolphin.desktop";
    windows.windows[2] = kde;
    auto both = withClass("charmap", "Charmap");
    both.gtkApplicationId = "org.example.Editor";
    both.kdeDesktopFile = "org.kde.dolphin";
    windows.windows[3] = both;
    catalog.addWmClass("Charmap", "gucharmap.desktop");

    EXPECT_EQ(nameOf(1), "Bearbeiter");
    EXPECT_EQ(nameOf(2), "Dolphin");
    EXPECT_EQ(nameOf(3), "Zeichentabelle");
    catalog.wmClasses.clear();
    EXPECT_EQ(nameOf(3), "Bearbeiter");
}

TEST_F(ResolverTest, ProcessExecutableIsMatchedUnlessItIsAnInterpreterOrRemote) {
    catalog.addProgram("xterm", "terminal.desktop");
    catalog.addProgram("python3", "editor-legacy.desktop");
    auto local = withClass("xterm", "Fremd");
    local.pid = 42;
    local.clientMachine = "workstation";
    windows.windows[1] = local;
    auto script = withClass("tool", "Tool");
    script.pid = 43;
    windows.windows[2] = script;
    auto remote = local;
    remote.clientMachine = "elsewhere";
    windows.windows[3] = remote;
    auto unknownPid = withClass("xterm", "Gone");
    unknownPid.pid = 44;
    windows.windows[4] = unknownPid;
    executables[42] = "/usr/bin/xterm";
    executables[43] = "/usr/bin/python3.11";

    EXPECT_EQ(resolve(1), (ResolvedApplication{"terminal.desktop", "Konsole"}));
    // A Python program is not the application "python3"; a pid from another host means nothing
    // here. Both end with their class.
    EXPECT_EQ(resolve(2), (ResolvedApplication{"wm-class:Tool", "Tool"}));
    EXPECT_EQ(nameOf(3), "Fremd");
    EXPECT_EQ(nameOf(4), "Gone");
}

TEST_F(ResolverTest, DialogsBelongToTheApplicationOfTheirParent) {
    catalog.addWmClass("Editor", "org.example.Editor.desktop");
    windows.windows[1] = withClass("editor", "Editor");
    auto dialog = withClass("portal", "Xdg-desktop-portal-gtk");
    dialog.transientFor = 1;
    windows.windows[2] = dialog;
    auto nested = withClass("picker", "Picker");
    nested.transientFor = 2;
    windows.windows[3] = nested;
    // A group dialog is transient for the root; one whose parent is gone stands alone.
    auto groupDialog = withClass("find", "Find");
    groupDialog.transientFor = kRoot;
    windows.windows[4] = groupDialog;
    auto orphan = withClass("find", "Orphan");
    orphan.transientFor = 99;
    windows.windows[5] = orphan;

    EXPECT_EQ(resolve(2), resolve(1));
    EXPECT_EQ(resolve(3), resolve(1));
    EXPECT_EQ(nameOf(4), "Find");
    EXPECT_EQ(nameOf(5), "Orphan");
}

TEST_F(ResolverTest, DialogTransientForAHiddenGroupWindowSpeaksForItself) {
    // Qt's shape: a hidden leader that names only itself; the main window and a dialog without a
    // parent both carry the program's class and pid, and the dialog is transient for the leader.
    WindowFacts leader;
    leader.clientLeader = 10;
    windows.windows[10] = leader;
    auto main = withClass("probe", "Probe");
    main.pid = 42;
    main.clientMachine = "workstation";
    main.clientLeader = 10;
    windows.windows[1] = main;
    auto dialog = main;
    dialog.transientFor = 10;
    windows.windows[2] = dialog;
    // Known only by its process, and the same without its class.
    auto bareDialog = dialog;
    bareDialog.instanceName.reset();
    bareDialog.className.reset();
    windows.windows[3] = bareDialog;

    // No entry: the class names both.
    EXPECT_EQ(resolve(2), (ResolvedApplication{"wm-class:Probe", "Probe"}));
    EXPECT_EQ(resolve(2), resolve(1));

    catalog.addWmClass("Probe", "org.example.Editor.desktop");
    EXPECT_EQ(resolve(2), (ResolvedApplication{"org.example.Editor.desktop", "Bearbeiter"}));
    EXPECT_EQ(resolve(2), resolve(1));

    catalog.wmClasses.clear();
    catalog.addProgram("probe", "editor-legacy.desktop");
    executables[42] = "/usr/bin/probe";
    EXPECT_EQ(resolve(3), (ResolvedApplication{"editor-legacy.desktop", "Legacy Editor"}));
    EXPECT_EQ(resolve(3), resolve(1));
}

TEST_F(ResolverTest, ParentKnownOnlyByItsProcessIsStillFollowed) {
    catalog.addProgram("editor", "org.example.Editor.desktop");
    executables[42] = "/usr/bin/editor";
    WindowFacts parent;
    parent.pid = 42;
    windows.windows[1] = parent;
    auto dialog = withClass("chooser", "Chooser");
    dialog.transientFor = 1;
    windows.windows[2] = dialog;
    EXPECT_EQ(nameOf(2), "Bearbeiter");
}

TEST_F(ResolverTest, TransientCycleEnds) {
    auto a = withClass("a", "A");
    a.transientFor = 2;
    auto b = withClass("b", "B");
    b.transientFor = 1;
    windows.windows[1] = a;
    windows.windows[2] = b;
    EXPECT_TRUE(resolve(1).has_value());
}

TEST_F(ResolverTest, ClientLeaderIsAskedWhenTheWindowSaysNothingUseful) {
    WindowFacts leader;
    leader.gtkApplicationId = "org.example.Editor";
    windows.windows[10] = leader;
    auto window = withClass("splash", "Splash");
    window.clientLeader = 10;
    windows.windows[1] = window;
    auto selfLed = withClass("self", "Self");
    selfLed.clientLeader = 2;
    windows.windows[2] = selfLed;

    EXPECT_EQ(nameOf(1), "Bearbeiter");
    EXPECT_EQ(nameOf(2), "Self");
}

TEST_F(ResolverTest, WithoutEntryTheClassTheInstanceOrTheExecutableNamesTheApplication) {
    windows.windows[1] = withClass("caf\xc3\xa9", "Caf\xc3\xa9");
    WindowFacts instanceOnly;
    instanceOnly.instanceName = "solo";
    windows.windows[2] = instanceOnly;
    // No WM_CLASS: the process's executable, an interpreter too, as long as it runs here.
    WindowFacts bare;
    bare.pid = 42;
    windows.windows[3] = bare;
    auto sameProcess = bare;
    windows.windows[4] = sameProcess;
    WindowFacts script;
    script.pid = 43;
    script.clientMachine = "workstation";
    windows.windows[5] = script;
    auto remote = script;
    remote.clientMachine = "elsewhere";
    windows.windows[6] = remote;
    WindowFacts gonePid;
    gonePid.pid = 44;
    windows.windows[7] = gonePid;
    windows.windows[8] = WindowFacts{};
    windows.windows[9] = WindowFacts{};
    executables[42] = "/opt/tools/bin/plotter";
    executables[43] = "/usr/bin/python3.11";

    EXPECT_EQ(resolve(1), (ResolvedApplication{"wm-class:Caf\xc3\xa9", "Caf\xc3\xa9"}));
    EXPECT_EQ(resolve(2), (ResolvedApplication{"wm-instance:solo", "solo"}));
    EXPECT_EQ(nameOf(3), "plotter");
    EXPECT_EQ(resolve(3), resolve(4));
    EXPECT_EQ(nameOf(5), "python3.11");
    EXPECT_NE(resolve(5)->identity, resolve(3)->identity);

    // Nothing tells who they are: no name, and two such windows are not taken for one
    // application.
    for (const WindowId window : {6, 7, 8}) {
        const auto anonymous = resolve(window);
        ASSERT_TRUE(anonymous.has_value()) << window;
        EXPECT_EQ(anonymous->localizedName, std::nullopt) << window;
        EXPECT_NE(anonymous->identity, resolve(9)->identity) << window;
    }
}

TEST_F(ResolverTest, VanishedWindowResolvesToNothing) {
    EXPECT_FALSE(resolve(7).has_value());
}

TEST_F(ResolverTest, SameDesktopEntryIsTheSameApplicationHoweverFound) {
    catalog.addWmClass("Editor", "org.example.Editor.desktop");
    windows.windows[1] = withClass("editor", "Editor");
    WindowFacts second;
    second.gtkApplicationId = "org.example.Editor";
    windows.windows[2] = second;
    EXPECT_EQ(resolve(1)->identity, resolve(2)->identity);
}

} // namespace
} // namespace vontal
