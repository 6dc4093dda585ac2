// The catalog against real desktop entries in private XDG directories. GIO reads the directories
// and the language once, at its first use, so main() sets them before anything else.
#include "platform/frontmost/gio_application_catalog.h"
#include "tests/support/sim/virtual_clock.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <string>

namespace vontal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path gRoot;

fs::path home() {
    return gRoot / "home" / "applications";
}
fs::path systemHigh() {
    return gRoot / "high" / "applications";
}
fs::path systemLow() {
    return gRoot / "low" / "applications";
}

void writeEntry(const fs::path& file, const std::string& body) {
    std::ofstream out(file.string() + ".tmp");
    out << "[Desktop Entry]\nType=Application\n" << body;
    out.close();
    // Renamed into place, as package managers do, so GIO never reads half a file.
    fs::rename(file.string() + ".tmp", file);
}

// Runs the GLib main context, where GIO reports changes, until `done` holds or time is up.
template <class Predicate>
bool runMainContextUntil(Predicate done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        GSource* wake = g_timeout_source_new(static_cast<guint>(left.count()));
        g_source_set_callback(
            wake, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(wake, nullptr);
        g_main_context_iteration(nullptr, TRUE);
        g_source_destroy(wake);
        g_source_unref(wake);
    }
    return true;
}

std::optional<std::string> nameOf(const std::optional<CatalogEntry>& entry) {
    return entry ? std::optional(entry->localizedName) : std::nullopt;
}

class CatalogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        writeEntry(systemHigh() / "org.example.Editor.desktop",
                   "Name=Editor\nName[de]=Bearbeiter\nExec=true %U\nStartupWMClass=EditorWin\n");
        writeEntry(systemLow() / "org.example.Editor.desktop", "Name=Shadowed\nExec=true\n");
        writeEntry(systemLow() / "viewer.desktop", "Name=Viewer\nExec=cat\n");
        writeEntry(systemLow() / "cat-with-class.desktop",
                   "Name=Cat Window\nExec=cat\nStartupWMClass=CatWin\n");
        writeEntry(systemLow() / "script.desktop",
                   "Name=Script\nName[de]=Skript\nExec=sh -c 'exit 0'\n");
        writeEntry(systemLow() / "retired.desktop", "Name=Retired\nExec=true\n");
        writeEntry(home() / "retired.desktop", "Name=Retired\nExec=true\nHidden=true\n");
        writeEntry(systemLow() / "missing-program.desktop",
                   "Name=Missing\nExec=vontal-no-such-program\nStartupWMClass=Missing\n");
    }

    GioApplicationCatalog catalog;
};

TEST_F(CatalogTest, NamesComeInTheUserLanguageFromTheEntryThatWins) {
    EXPECT_EQ(nameOf(catalog.byDesktopId("org.example.Editor.desktop")), "Bearbeiter");
    EXPECT_EQ(nameOf(catalog.byStartupWmClass("EditorWin")), "Bearbeiter");
    EXPECT_EQ(nameOf(catalog.byDesktopId("viewer.desktop")), "Viewer");
    EXPECT_EQ(nameOf(catalog.byDesktopId("script.desktop")), "Skript");
    // Hidden in the user's directory removes the system's entry; an entry whose program is not
    // installed is no application.
    EXPECT_FALSE(catalog.byDesktopId("retired.desktop"));
    EXPECT_FALSE(catalog.byStartupWmClass("Missing"));
    EXPECT_FALSE(catalog.byStartupWmClass("editorwin"));
    EXPECT_EQ(nameOf(catalog.byStartupWmClassIgnoringCase("editorwin")), "Bearbeiter");
    EXPECT_FALSE(catalog.byStartupWmClassIgnoringCase("missing"));
}

TEST_F(CatalogTest, ProgramsIndexSkipsInterpretersAndPrefersEntriesWithoutWindowClass) {
    EXPECT_EQ(nameOf(catalog.byExecutable("cat")), "Viewer");
    EXPECT_EQ(nameOf(catalog.byExecutable("true")), "Bearbeiter");
    EXPECT_FALSE(catalog.byExecutable("sh"));
}

TEST_F(CatalogTest, LookupsDoNotRebuild) {
    const auto builds = catalog.builds();
    for (int i = 0; i < 10; ++i)
        catalog.byStartupWmClass("EditorWin");
    EXPECT_EQ(catalog.builds(), builds);
}

TEST_F(CatalogTest, ABurstOfChangesRebuildsOnceAfterItAndSwitchesMeanwhileUseTheLastBuild) {
    using std::chrono::milliseconds;
    VirtualClock clock;
    GioApplicationCatalog settling(&clock);
    const auto built = settling.builds();
    GAppInfoMonitor* monitor = g_app_info_monitor_get();
    // Entries rewritten every 5 ms, with a switch to a window after each change.
    for (int i = 0; i < 50; ++i) {
        g_signal_emit_by_name(monitor, "changed");
        EXPECT_EQ(nameOf(settling.byStartupWmClass("EditorWin")), "Bearbeiter");
        EXPECT_EQ(nameOf(settling.byExecutable("cat")), "Viewer");
        if (i < 49)
            clock.advance(5ms);
    }
    const milliseconds last = clock.now();
    EXPECT_EQ(settling.builds(), built);
    clock.advanceTo(last + GioApplicationCatalog::kSettleTime - 1ms);
    EXPECT_EQ(settling.builds(), built);
    clock.advanceTo(last + GioApplicationCatalog::kSettleTime);
    EXPECT_EQ(settling.builds(), built + 1);
    clock.advance(10s);
    EXPECT_EQ(settling.builds(), built + 1);
    EXPECT_EQ(nameOf(settling.byStartupWmClass("EditorWin")), "Bearbeiter");

    // Changes that never stop still get a build, kLongestWait after the first, and no more.
    const milliseconds first = clock.now();
    while (clock.now() < first + GioApplicationCatalog::kLongestWait + 1s) {
        g_signal_emit_by_name(monitor, "changed");
        clock.advance(100ms);
    }
    EXPECT_EQ(settling.builds(), built + 2);
    g_object_unref(monitor);
}

TEST_F(CatalogTest, EntriesAddedChangedAndRemovedWhileRunningArePickedUp) {
    const fs::path late = home() / "late.desktop";
    ASSERT_FALSE(catalog.byStartupWmClass("LateWin"));

    writeEntry(late, "Name=Late\nName[de]=Nachz\xc3\xbcgler\nExec=true\nStartupWMClass=LateWin\n");
    EXPECT_TRUE(
        runMainContextUntil([&] { return catalog.byStartupWmClass("LateWin").has_value(); }, 10s));
    EXPECT_EQ(nameOf(catalog.byStartupWmClass("LateWin")), "Nachz\xc3\xbcgler");

    writeEntry(late, "Name=Later\nName[de]=Sp\xc3\xa4ter\nExec=true\nStartupWMClass=LateWin\n");
    EXPECT_TRUE(runMainContextUntil(
        [&] { return nameOf(catalog.byStartupWmClass("LateWin")) == "Sp\xc3\xa4ter"; }, 10s));

    fs::remove(late);
    EXPECT_TRUE(runMainContextUntil([&] { return !catalog.byStartupWmClass("LateWin"); }, 10s));
    EXPECT_EQ(nameOf(catalog.byStartupWmClass("EditorWin")), "Bearbeiter");
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/vontal-catalog-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    vontal::gRoot = pattern;
    for (const auto& dir : {vontal::home(), vontal::systemHigh(), vontal::systemLow()})
        fs::create_directories(dir);
    setenv("XDG_DATA_HOME", (vontal::gRoot / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS",
           ((vontal::gRoot / "high").string() + ":" + (vontal::gRoot / "low").string()).c_str(), 1);
    setenv("LANGUAGE", "de", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    fs::remove_all(vontal::gRoot, ignored);
    return result;
}
