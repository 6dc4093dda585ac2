// A login, end to end on an installed tree: vontal's login item is switched on, and the session
// then starts the autostart entry the way desktop sessions do (through GIO). The installed helper
// must start the installed vontal; a second login while vontal runs must leave just that one.

#include "platform/xdg/xdg_login_item_service.h"
#include "tests/support/process/descendants.h"
#include "tests/support/process/scratch_dir.h"
#include "vontal_ids.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace vontal::testing {
namespace {

namespace fs = std::filesystem;

constexpr auto kDeadline = std::chrono::seconds(30);

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

// Starts a desktop entry file as a session's autostart does. False, with a reason, if the
// session would skip it or the launch fails.
::testing::AssertionResult startAsSession(const fs::path& entryFile) {
    GPtr<GDesktopAppInfo> entry(g_desktop_app_info_new_from_filename(entryFile.c_str()));
    if (!entry) {
        return ::testing::AssertionFailure() << entryFile << " is not a usable application entry";
    }
    if (g_desktop_app_info_get_is_hidden(entry.get())) {
        return ::testing::AssertionFailure() << entryFile << " is hidden: autostart skips it";
    }
    if (g_desktop_app_info_has_key(entry.get(), "X-GNOME-Autostart-enabled") &&
        !g_desktop_app_info_get_boolean(entry.get(), "X-GNOME-Autostart-enabled")) {
        return ::testing::AssertionFailure() << entryFile << " is switched off";
    }
    GPtr<GAppLaunchContext> context(g_app_launch_context_new());
    GError* error = nullptr;
    if (!g_app_info_launch(G_APP_INFO(entry.get()), nullptr, context.get(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        return ::testing::AssertionFailure() << "launch failed: " << message;
    }
    return ::testing::AssertionSuccess();
}

// Polls until the file exists, up to the deadline.
bool waitForFile(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (!fs::exists(file)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string executableOf(const fs::path& entryFile) {
    GPtr<GDesktopAppInfo> entry(g_desktop_app_info_new_from_filename(entryFile.c_str()));
    const char* executable = entry ? g_app_info_get_executable(G_APP_INFO(entry.get())) : nullptr;
    return executable ? executable : "";
}

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(vontal)) << "run the vontal_install_into_prefix test first";
        // A session of our own: nothing of the machine's user, no display, no session bus. The
        // launched programs inherit it through the helper.
        const fs::path runtime = scratch.path() / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        setenv("HOME", (scratch.path() / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (scratch.path() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (scratch.path() / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (scratch.path() / "cache").c_str(), 1);
        setenv("XDG_DATA_DIRS", (prefix / "share").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("PATH", "/usr/bin:/bin", 1);
        setenv("LC_ALL", "C", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                                 "DBUS_SYSTEM_BUS_ADDRESS", "SESSION_MANAGER"}) {
            unsetenv(name);
        }
    }

    // Everything reaped since `from` ended normally with status 0.
    void expectCleanEnds(std::size_t from) const {
        const auto& reaped = descendants.reaped();
        for (std::size_t i = from; i < reaped.size(); ++i) {
            EXPECT_TRUE(exitedWith(reaped[i].status, 0))
                << "process " << reaped[i].pid << " ended with wait status " << reaped[i].status;
        }
    }

    ScratchDir scratch;
    Descendants descendants;
    const fs::path prefix = VONTAL_TEST_PREFIX;
    const fs::path vontal = prefix / "bin" / "vontal";
    const fs::path helper = prefix / "bin" / "vontalloginhelper";
};

TEST_F(LoginTest, TheLoginItemStartsTheInstalledVontalOnce) {
    // The installed vontal finds the helper beside itself.
    const std::string helperPath = XdgLoginItemService::findHelper((prefix / "bin").string(), "");
    ASSERT_EQ(fs::path(helperPath), helper);
    XdgLoginItemService service(helperPath);
    ASSERT_FALSE(service.loginItemServiceWithIdentifier(kHelperIdentifier)->registerItem());
    ASSERT_EQ(service.loginItemServiceWithIdentifier(kHelperIdentifier)->status(),
              LoginItemStatus::Enabled);

    const fs::path autostart =
        scratch.path() / "config" / "autostart" / (std::string(kHelperIdentifier) + ".desktop");
    ASSERT_TRUE(fs::is_regular_file(autostart));
    EXPECT_EQ(fs::path(executableOf(autostart)), helper);

    // First login: the helper starts vontal and ends; vontal stays. GIO may start programs
    // through short-lived intermediate processes, so what ended is checked, not counted.
    ASSERT_TRUE(startAsSession(autostart));
    const auto first = descendants.waitForProgram(vontal, kDeadline);
    ASSERT_TRUE(first.has_value()) << "the installed vontal did not start";
    ASSERT_TRUE(descendants.waitForAllBut(*first, kDeadline)) << "the helper did not end";
    expectCleanEnds(0);
    // The running vontal answers others once its instance socket exists.
    ASSERT_TRUE(
        waitForFile(scratch.path() / "runtime" / (std::string(kMainIdentifier) + ".instance")))
        << "the first vontal never became the running instance";

    // Second login while vontal runs: the second vontal hands over to the first and ends.
    const std::size_t before = descendants.reaped().size();
    ASSERT_TRUE(startAsSession(autostart));
    ASSERT_TRUE(descendants.waitForAllBut(*first, kDeadline))
        << "the second start did not end while the first runs";
    expectCleanEnds(before);
    EXPECT_TRUE(descendants.isRunning(*first));

    // The same by hand, with the id known: the installed vontal ends at once, status 0.
    SpawnOptions byHand;
    byHand.argv = {vontal.string()};
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "PATH", "LC_ALL"}) {
        byHand.environment.push_back(std::string(name) + "=" + getenv(name));
    }
    const pid_t again = descendants.spawn(byHand);
    const auto status = descendants.waitForExit(again, kDeadline);
    ASSERT_TRUE(status.has_value()) << "a second vontal kept running";
    EXPECT_TRUE(exitedWith(*status, 0)) << *status;
    EXPECT_TRUE(descendants.isRunning(*first));

    ASSERT_EQ(kill(*first, SIGTERM), 0);
    EXPECT_TRUE(descendants.waitForExit(*first, kDeadline).has_value());
}

} // namespace
} // namespace vontal::testing
