#include "cycling_lines.h"

#include <algorithm>

namespace vontal {

LineCycle bluetoothStateCycle() {
    return {{"Bluetooth powered ON \xe2\x80\x94 ", "Bluetooth powered OFF \xe2\x80\x94 ",
             "Central state: ", "Bluetooth is unavailable: ", "Bluetooth LE may not work: ",
             "Bluetooth LE is unavailable: ", "bluetoothd does not answer ",
             "bluetoothd answers again"},
            "Bluetooth state changed",
            "bluetoothd or the adapter kept coming and going"};
}

CyclingLines::CyclingLines(Diagnostics& out, Timers& timers, Clock now,
                           std::vector<LineCycle> cycles, Settings settings)
    : out_(out), timers_(timers), now_(std::move(now)), settings_(settings) {
    for (LineCycle& lines : cycles) {
        cycles_.push_back(std::make_unique<Cycle>());
        cycles_.back()->lines = std::move(lines);
    }
}

CyclingLines::~CyclingLines() {
    for (const auto& cycle : cycles_)
        settled(*cycle);
}

CyclingLines::Cycle* CyclingLines::cycleOf(std::string_view text) {
    for (const auto& cycle : cycles_) {
        const auto& prefixes = cycle->lines.prefixes;
        if (std::any_of(prefixes.begin(), prefixes.end(),
                        [&](const std::string& prefix) { return text.starts_with(prefix); }))
            return cycle.get();
    }
    return nullptr;
}

void CyclingLines::line(std::string_view text) {
    Cycle* const cycle = cycleOf(text);
    if (!cycle) {
        out_.line(text);
        return;
    }
    cycle->settle = timers_.singleShot(settings_.settle, [this, cycle] { settled(*cycle); });
    auto said = cycle->said.find(text);
    if (said == cycle->said.end())
        said = cycle->said.emplace(std::string(text), 0).first;
    if (said->second < settings_.saidTimes) {
        // The repeats held back came before this line.
        tellCount(*cycle);
        ++said->second;
        cycle->lastSaid = said->first;
        cycle->lastHeld.reset();
        out_.line(text);
        return;
    }
    const auto now = now_();
    if (cycle->held == 0) {
        cycle->firstHeldAt = now;
        cycle->period = timers_.singleShot(settings_.period, [this, cycle] { tellCount(*cycle); });
    }
    ++cycle->held;
    cycle->lastHeldAt = now;
    cycle->lastHeld = said->first;
}

void CyclingLines::tellCount(Cycle& cycle) {
    cycle.period.cancel();
    if (cycle.held == 0)
        return;
    // Whole seconds, rounded up: a burst within one second is "in 1 s".
    const auto span = cycle.lastHeldAt - cycle.firstHeldAt;
    const auto seconds = std::max<long long>(1, (span.count() + 999) / 1000);
    out_.line(cycle.lines.what + " " + std::to_string(cycle.held) + " more times in " +
              std::to_string(seconds) + " s (" + cycle.lines.why +
              "); the repeated lines were left out");
    cycle.held = 0;
}

void CyclingLines::settled(Cycle& cycle) {
    cycle.settle.cancel();
    tellCount(cycle);
    if (cycle.lastHeld && *cycle.lastHeld != cycle.lastSaid)
        out_.line(*cycle.lastHeld);
    cycle.said.clear();
    cycle.lastSaid.clear();
    cycle.lastHeld.reset();
}

} // namespace vontal
