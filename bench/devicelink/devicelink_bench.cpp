#include "devicelink/peripheral_manager.h"
#include "platform/sim/vontal_device.h"
#include "tests/support/sim/sim_platform.h"

#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
#include <malloc.h>
#define VONTAL_HAVE_MALLINFO2 1
#endif

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace vontal {
namespace {

BluetoothUuid benchDevice(std::int64_t n) {
    return identifierForAddress(0xB0000000000 + static_cast<std::uint64_t>(n));
}

// Bytes the allocator hands out now (0 where the C library does not tell).
double heapInUse() {
#if defined(VONTAL_HAVE_MALLINFO2)
    return static_cast<double>(mallinfo2().uordblks);
#else
    return 0;
#endif
}

// One application switch fanned out to every connected, unlocked device: the activation
// notification, the walk over each device's services, one write without response each, and the
// stack's answer that lets the next one go.
void Activation(benchmark::State& state) {
    const std::int64_t devices = state.range(0);
    SimPlatform sim;
    for (std::int64_t n = 0; n < devices; ++n) {
        const BluetoothUuid id = benchDevice(n);
        sim.bluetooth.addDevice(vontalDevice(id, "Bench " + std::to_string(n), "pw"));
        sim.defaults.setObject("pw", id.toString());
    }
    PeripheralManager manager(sim.platform());
    sim.clock.runUntilIdle();
    if (static_cast<std::int64_t>(manager.connectedPeripherals().size()) != devices ||
        !sim.bluetooth.isUnlocked(benchDevice(devices - 1))) {
        state.SkipWithError("devices did not connect");
        return;
    }
    // What the device received is the tests' business; here only the manager's cost counts.
    sim.bluetooth.setRecording(false);
    const Notification activation = Notification::activation("Editor");

    for (auto _ : state) {
        sim.workspace.post(activation);
        sim.clock.runUntilIdle();
    }

    state.counters["per_device"] = benchmark::Counter(
        static_cast<double>(devices),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Activation)->Arg(1)->Arg(8)->Arg(64);

// A burst of N application switches, one a millisecond, to four devices whose stack takes 20 ms
// to answer each write: the writes handed to the stack per device, the most in flight on one
// device, and the heap the burst leaves behind once it is over. Figures, not limits.
void SwitchBurst(benchmark::State& state) {
    const std::int64_t switches = state.range(0);
    constexpr int kDevices = 4;
    double writes = 0;
    int mostInFlight = 0;
    double heapGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            SimPlatform sim;
            for (int n = 0; n < kDevices; ++n) {
                sim.bluetooth.addDevice(vontalDevice(benchDevice(n), "Bench", "pw"));
                sim.defaults.setObject("pw", benchDevice(n).toString());
            }
            auto manager = std::make_unique<PeripheralManager>(sim.platform());
            sim.clock.runUntilIdle();
            for (int n = 0; n < kDevices; ++n)
                sim.bluetooth.setWriteWithoutResponseDelay(benchDevice(n),
                                                           std::chrono::milliseconds(20));
            sim.bluetooth.setRecording(false);
            const double heapBefore = heapInUse();
            std::string name;
            state.ResumeTiming();

            for (std::int64_t i = 0; i < switches; ++i) {
                name = "App " + std::to_string(i);
                sim.workspace.activate(name);
                sim.clock.advance(std::chrono::milliseconds(1));
            }
            sim.clock.advance(std::chrono::seconds(1));

            state.PauseTiming();
            heapGrowth = heapInUse() - heapBefore;
            writes = 0;
            for (int n = 0; n < kDevices; ++n) {
                const SimWriteLoad load = sim.bluetooth.writeLoad(benchDevice(n));
                writes += static_cast<double>(load.writes);
                mostInFlight = std::max(mostInFlight, load.mostInFlight);
            }
            if (manager->lastSentName() != name)
                state.SkipWithError("the devices did not end on the last name");
            manager.reset();
        }
        state.ResumeTiming();
    }
    state.counters["writes_per_device"] = writes / kDevices;
    state.counters["most_in_flight"] = mostInFlight;
    state.counters["heap_growth_KiB"] = heapGrowth / 1024;
}
BENCHMARK(SwitchBurst)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Discovery reports of distinct devices that advertise the service, into a fresh manager each
// time: every report is checked against both lists and the store, then listed.
void DiscoveryReports(benchmark::State& state) {
    const std::int64_t reports = state.range(0);
    SimPlatform sim;
    for (std::int64_t n = 0; n < reports; ++n)
        sim.bluetooth.addDevice(vontalDevice(benchDevice(n), "Bench", "pw"));
    const AdvertisementData advertisement{"Bench", {PeripheralManager::serviceUUID}};

    for (auto _ : state) {
        state.PauseTiming();
        auto manager = std::make_unique<PeripheralManager>(sim.platform());
        std::vector<PeripheralRef> peripherals;
        peripherals.reserve(static_cast<std::size_t>(reports));
        for (std::int64_t n = 0; n < reports; ++n)
            peripherals.push_back(
                sim.bluetooth.retrievePeripheral(*manager->central(), benchDevice(n)));
        Central& central = *manager->central();
        state.ResumeTiming();

        for (const PeripheralRef& peripheral : peripherals)
            manager->didDiscoverPeripheral(central, peripheral, advertisement, -60);

        state.PauseTiming();
        if (static_cast<std::int64_t>(manager->discoveredPeripherals().size()) != reports)
            state.SkipWithError("not every device was listed");
        manager.reset();
        peripherals.clear();
        sim.clock.runUntilIdle();
        state.ResumeTiming();
    }
    state.counters["per_report"] = benchmark::Counter(
        static_cast<double>(reports),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(DiscoveryReports)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same through the simulated stack: the radio's first report starts the scan, which
// reports every device on the main queue.
void DiscoveryThroughTheStack(benchmark::State& state) {
    const std::int64_t reports = state.range(0);
    SimPlatform sim;
    for (std::int64_t n = 0; n < reports; ++n)
        sim.bluetooth.addDevice(vontalDevice(benchDevice(n), "Bench", "pw"));

    for (auto _ : state) {
        state.PauseTiming();
        sim.bluetooth.clearRecord();
        auto manager = std::make_unique<PeripheralManager>(sim.platform());
        state.ResumeTiming();

        sim.clock.runUntilIdle();

        state.PauseTiming();
        if (static_cast<std::int64_t>(manager->discoveredPeripherals().size()) != reports)
            state.SkipWithError("not every device was listed");
        manager.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(DiscoveryThroughTheStack)->Arg(10000)->Unit(benchmark::kMillisecond);

// Resident memory of this process, in KiB, from /proc (0 where there is none).
long residentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Devices that rotate their addresses: 15,000 new addresses over one virtual minute, 250 a
// second, each heard until bluetoothd drops it 30 s later (a loss report). Gives the time per
// address, the longest "Discovered" and the memory before and after; the figures should stay flat
// as the count grows.
void RotatingAddresses(benchmark::State& state) {
    const std::int64_t addresses = state.range(0);
    constexpr std::int64_t kPerSecond = 250;
    constexpr std::int64_t kHeardFor = 30 * kPerSecond;
    std::size_t longest = 0;
    long before = 0;
    long after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SimPlatform sim;
        sim.bluetooth.setRecording(false);
        sim.bluetooth.setReportAgainAfter(std::chrono::seconds(5));
        auto manager = std::make_unique<PeripheralManager>(sim.platform());
        sim.clock.runUntilIdle();
        before = residentKib();
        state.ResumeTiming();

        for (std::int64_t n = 0; n < addresses; ++n) {
            sim.bluetooth.addDevice(vontalDevice(benchDevice(n), "Rotating", "pw"));
            if (n >= kHeardFor)
                sim.bluetooth.removeDevice(benchDevice(n - kHeardFor));
            if (n % kPerSecond == kPerSecond - 1) {
                sim.clock.advance(std::chrono::seconds(1));
                longest = std::max(longest, manager->discoveredPeripherals().size());
            }
        }
        sim.clock.runUntilIdle();

        state.PauseTiming();
        after = residentKib();
        manager.reset();
        state.ResumeTiming();
    }
    state.counters["longest_list"] = static_cast<double>(longest);
    state.counters["rss_before_kib"] = static_cast<double>(before);
    state.counters["rss_after_kib"] = static_cast<double>(after);
    state.counters["per_address"] = benchmark::Counter(
        static_cast<double>(addresses),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(RotatingAddresses)->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vontal
