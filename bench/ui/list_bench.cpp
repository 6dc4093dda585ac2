// How long the window takes to show a discovered list that grows to a thousand devices.

#include "bulk_stack.h"
#include "devicelink/peripheral_manager.h"
#include "tests/support/sim/sim_platform.h"
#include "ui/content_view.h"
#include "ui/device_list_view.h"
#include "ui/memory_login_items.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace vontal {
namespace {

void turnQtLoop() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The simulated platform, but with a Bluetooth stack whose handles answer in constant time.
struct Scene {
    Scene()
        : stack(sim.clock), platform{stack,        sim.clock,  sim.clock,      sim.workspace,
                                     sim.defaults, sim.alerts, sim.diagnostics},
          manager(platform), view(manager, loginItems, diagnostics) {
        view.resize(480, 600);
        view.show();
        sim.clock.runUntilIdle();
        turnQtLoop();
    }
    void discover(std::uint64_t address) {
        stack.advertise(0xD0000000 + address, "Device " + std::to_string(address));
    }

    SimPlatform sim;
    BulkStack stack;
    Platform platform;
    PeripheralManager manager;
    MemoryLoginItemService loginItems;
    RecordingDiagnostics diagnostics;
    ContentView view;
};

// Each device is announced on its own turn of the event loop, so every one costs a rebuild and
// a repaint: the worst case for a list that grows while the user watches.
void BM_DiscoverOneByOne(benchmark::State& state) {
    const auto count = static_cast<std::uint64_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        state.ResumeTiming();
        for (std::uint64_t i = 0; i < count; ++i) {
            scene->discover(i);
            scene->sim.clock.runUntilIdle();
            turnQtLoop();
        }
        scene->view.repaint();
        state.PauseTiming();
        if (scene->view.discoveredList()->rowCount() != static_cast<int>(count))
            state.SkipWithError("not every device was listed");
        state.counters["rebuilds"] = scene->view.buildCount();
        scene.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DiscoverOneByOne)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same thousand announcements arriving within one turn coalesce into one rebuild.
void BM_DiscoverInOneTurn(benchmark::State& state) {
    const auto count = static_cast<std::uint64_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        for (std::uint64_t i = 0; i < count; ++i)
            scene->discover(i);
        state.ResumeTiming();
        scene->sim.clock.runUntilIdle();
        turnQtLoop();
        scene->view.repaint();
        state.PauseTiming();
        if (scene->view.discoveredList()->rowCount() != static_cast<int>(count))
            state.SkipWithError("not every device was listed");
        scene.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DiscoverInOneTurn)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One more announcement once a thousand rows are shown: the cost of a rebuild that changes
// nothing visible, paid for every keep-alive-free event such as a neighbour's state change.
void BM_RebuildThousandRows(benchmark::State& state) {
    Scene scene;
    for (std::uint64_t i = 0; i < 1000; ++i)
        scene.discover(i);
    scene.sim.clock.runUntilIdle();
    turnQtLoop();
    for (auto _ : state) {
        scene.manager.objectWillChange().fire();
        turnQtLoop();
    }
}
BENCHMARK(BM_RebuildThousandRows)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
