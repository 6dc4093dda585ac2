#pragma once

// When something outside flaps, the same few events come round again and again: a bluetoothd
// that comes and goes ten times a second gives "Central state: 2" and "Bluetooth powered ON …" in
// turn, tens of thousands of lines an hour. Lines of such a cycle are said at once the first times
// they come; after that their repeats are counted, not said, and one line gives the count when
// the cycle settles (none of its lines for a few seconds) and, while it goes on, once a minute.
// When the line held back last says something other than the line said last, it follows the
// count, so that the log ends on how things stand. Every other line passes straight through.

#include "diagnostics.h"
#include "subscription.h"
#include "timers.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

// The lines of one cycle, and the words of its count line:
//   <what> <N> more times in <S> s (<why>); the repeated lines were left out
struct LineCycle {
    // A line belongs to the cycle when it starts with one of these.
    std::vector<std::string> prefixes;
    std::string what;
    std::string why;
};

// Bluetooth coming and going: the radio's state as the device link hears it, and what the
// Bluetooth backend says of bluetoothd.
LineCycle bluetoothStateCycle();

class CyclingLines final : public Diagnostics {
public:
    struct Settings {
        // How often each line of a cycle is said before its repeats are held back.
        unsigned saidTimes = 2;
        // Quiet this long, the cycle has settled: what was held back is told.
        std::chrono::milliseconds settle = std::chrono::seconds(5);
        // While it goes on, the count is told this often.
        std::chrono::milliseconds period = std::chrono::minutes(1);
    };
    using Clock = std::function<std::chrono::milliseconds()>;

    // Lines go on to `out`; `timers` and `now` are the main thread's.
    CyclingLines(Diagnostics& out, Timers& timers, Clock now, std::vector<LineCycle> cycles,
                 Settings settings);
    CyclingLines(Diagnostics& out, Timers& timers, Clock now, std::vector<LineCycle> cycles)
        : CyclingLines(out, timers, std::move(now), std::move(cycles), Settings{}) {}
    // Tells what is still held back.
    ~CyclingLines() override;
    CyclingLines(const CyclingLines&) = delete;
    CyclingLines& operator=(const CyclingLines&) = delete;

    void line(std::string_view text) override;

private:
    struct Cycle {
        LineCycle lines;
        // Since the cycle last settled: how often each line was said.
        std::map<std::string, unsigned, std::less<>> said;
        std::string lastSaid;
        // The last line held back, while no line of the cycle was said after it.
        std::optional<std::string> lastHeld;
        std::size_t held = 0;
        std::chrono::milliseconds firstHeldAt{0};
        std::chrono::milliseconds lastHeldAt{0};
        Subscription settle;
        Subscription period;
    };

    Cycle* cycleOf(std::string_view text);
    void tellCount(Cycle& cycle);
    void settled(Cycle& cycle);

    Diagnostics& out_;
    Timers& timers_;
    Clock now_;
    Settings settings_;
    // Stable addresses: timers hold on to them.
    std::vector<std::unique_ptr<Cycle>> cycles_;
};

} // namespace vontal
