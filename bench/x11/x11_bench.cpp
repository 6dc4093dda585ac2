// Costs of the X11 frontmost-application watcher:
// - building the desktop-entry indexes (at start and after every change to the entries), and a
//   burst of 50 changes to them with a window switch after each;
// - resolving a window to its application once the indexes exist;
// - the delay from asking the window manager to switch windows to the notification, on Xvfb with
//   openbox: by a _NET_ACTIVE_WINDOW client message (what pagers and xdotool send), and by
//   running `xdotool windowactivate`, process start included.
#include "platform/frontmost/gio_application_catalog.h"
#include "platform/x11/application_resolver.h"
#include "platform/x11/x11_workspace.h"
#include "tests/support/desktop/x_session.h"
#include "tests/support/sim/virtual_clock.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gio/gio.h>
#include <map>
#include <memory>

namespace vontal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

constexpr int kEntries = 3000;

fs::path gRoot;
testing::XSession* gSession = nullptr;

void writeEntries(const fs::path& applications) {
    fs::create_directories(applications);
    for (int i = 0; i < kEntries; ++i) {
        std::ofstream out(applications / ("org.example.App" + std::to_string(i) + ".desktop"));
        out << "[Desktop Entry]\nType=Application\nName=App " << i << "\nName[de]=Programm " << i
            << "\nName[fr]=Programme " << i << "\nExec=true --app " << i
            << "\nStartupWMClass=AppWin" << i << "\nCategories=Utility;\n";
    }
}

void BM_CatalogBuild(benchmark::State& state) {
    for (auto _ : state) {
        GioApplicationCatalog catalog;
        benchmark::DoNotOptimize(catalog.byDesktopId("org.example.App1.desktop"));
    }
    state.SetLabel(std::to_string(kEntries) + " entries");
}
BENCHMARK(BM_CatalogBuild)->Unit(benchmark::kMillisecond);

// Entries changing every 20 ms for a second, a switch after each change: what the burst costs,
// and how many builds it made.
void BM_CatalogBurst(benchmark::State& state) {
    VirtualClock clock;
    GioApplicationCatalog catalog(&clock);
    GAppInfoMonitor* monitor = g_app_info_monitor_get();
    const auto before = catalog.builds();
    std::int64_t bursts = 0;
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            g_signal_emit_by_name(monitor, "changed");
            benchmark::DoNotOptimize(catalog.byStartupWmClass("AppWin" + std::to_string(i)));
            clock.advance(20ms);
        }
        clock.advance(GioApplicationCatalog::kSettleTime);
        ++bursts;
    }
    g_object_unref(monitor);
    state.counters["builds_per_burst"] =
        static_cast<double>(catalog.builds() - before) / static_cast<double>(bursts);
    state.SetLabel(std::to_string(kEntries) + " entries");
}
BENCHMARK(BM_CatalogBurst)->Unit(benchmark::kMillisecond);

class OneWindow final : public WindowInspector {
public:
    std::optional<WindowFacts> facts(WindowId) override {
        WindowFacts facts;
        facts.instanceName = "app";
        facts.className = "Unclaimed";
        facts.gtkApplicationId = "org.example.App250";
        return facts;
    }
};

// The GTK id is the fourth thing tried, after two StartupWMClass and one desktop-id lookup.
void BM_ResolveWindow(benchmark::State& state) {
    GioApplicationCatalog catalog;
    ApplicationResolver resolver(catalog, nullptr, "host", 1);
    OneWindow window;
    for (auto _ : state)
        benchmark::DoNotOptimize(resolver.resolve(window, 2));
}
BENCHMARK(BM_ResolveWindow)->Unit(benchmark::kMicrosecond);

class NoDiagnostics final : public Diagnostics {
public:
    void line(std::string_view) override {}
};

template <class Predicate> bool processEventsUntil(Predicate done) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(10s);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct SwitchFixture {
    NoDiagnostics diagnostics;
    std::unique_ptr<X11Workspace> workspace;
    Subscription subscription;
    int notifications = 0;
    xcb_window_t windows[2] = {};

    SwitchFixture() {
        windows[0] = gSession->createWindow({"first\0AppWin1\0"s, {}, {}, {}});
        windows[1] = gSession->createWindow({"second\0AppWin2\0"s, {}, {}, {}});
        workspace = X11Workspace::connect(diagnostics, gSession->display().c_str());
        subscription =
            workspace->observeActivations([this](const Notification&) { ++notifications; });
    }
    ~SwitchFixture() {
        subscription.cancel();
        workspace.reset();
        xcb_destroy_window(gSession->connection(), windows[0]);
        xcb_destroy_window(gSession->connection(), windows[1]);
        xcb_flush(gSession->connection());
    }
};

void requestActivation(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = gSession->atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // from a pager: the window manager obeys at once
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(gSession->connection(), 0, gSession->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(gSession->connection());
}

void BM_SwitchToNotification_ClientMessage(benchmark::State& state) {
    SwitchFixture fixture;
    int next = 0;
    for (auto _ : state) {
        const int before = fixture.notifications;
        requestActivation(fixture.windows[next]);
        next = 1 - next;
        if (!processEventsUntil([&] { return fixture.notifications > before; })) {
            state.SkipWithError("no notification");
            break;
        }
    }
}
BENCHMARK(BM_SwitchToNotification_ClientMessage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SwitchToNotification_Xdotool(benchmark::State& state) {
    SwitchFixture fixture;
    int next = 0;
    for (auto _ : state) {
        const int before = fixture.notifications;
        QProcess xdotool;
        xdotool.start("xdotool", {"windowactivate", QString::number(fixture.windows[next])});
        next = 1 - next;
        const bool notified = processEventsUntil([&] { return fixture.notifications > before; });
        state.PauseTiming();
        xdotool.waitForFinished();
        state.ResumeTiming();
        if (!notified) {
            state.SkipWithError("no notification");
            break;
        }
    }
}
BENCHMARK(BM_SwitchToNotification_Xdotool)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/vontal-x11-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    vontal::gRoot = pattern;
    int result = 0;
    try {
        vontal::testing::XSession session(vontal::gRoot / "session");
        vontal::gSession = &session;
        vontal::writeEntries(vontal::gRoot / "data" / "applications");
        fs::create_directories(vontal::gRoot / "home" / "applications");
        setenv("XDG_DATA_DIRS", (vontal::gRoot / "data").c_str(), 1);
        setenv("XDG_DATA_HOME", (vontal::gRoot / "home").c_str(), 1);
        setenv("LANGUAGE", "de", 1);
        setenv("DISPLAY", session.display().c_str(), 1);

        QCoreApplication application(argc, argv);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench desktop: %s\n", error.what());
        result = 1;
    }
    std::error_code ignored;
    fs::remove_all(vontal::gRoot, ignored);
    return result;
}
