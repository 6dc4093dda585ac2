// A second process over the same settings file: the "after a restart" reader, and the writer
// that the crash test kills mid-save.
#include "platform/qt/settings/settings_defaults.h"
#include "sample_entries.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using vontal::SettingsDefaults;
using namespace vontal::testing;

namespace {

bool armKillTimer(long microseconds) {
    microseconds = std::max(microseconds, 1L); // a zero time would disarm the timer
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGKILL;
    timer_t timer{};
    itimerspec when{};
    when.it_value.tv_sec = microseconds / 1000000;
    when.it_value.tv_nsec = microseconds % 1000000 * 1000;
    if (timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 ||
        timer_settime(timer, 0, &when, nullptr) != 0) {
        std::perror("kill timer");
        return false;
    }
    return true;
}

int writeSamples(const char* path) {
    SettingsDefaults store(path);
    for (const auto& [key, value] : sampleEntries())
        store.setValue(key, value);
    return 0;
}

int checkSamples(const char* path) {
    SettingsDefaults store(path);
    int failures = 0;
    for (const auto& [key, value] : sampleEntries()) {
        const auto stored = store.valueForKey(key);
        if (!stored || !sameValue(*stored, value)) {
            std::fprintf(stderr, "entry \"%s\" did not read back as written\n", key.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

// Saves one entry after another, acknowledging each on standard output, until SIGKILL arrives
// from a timer armed after the first save; the kill falls wherever the process happens to be, in
// the middle of a write as often as between two.
int storm(const char* path, long first, long killAfterMicroseconds) {
    SettingsDefaults store(path);
    for (long i = first;; ++i) {
        store.setValue(stormKey(i), stormValue(i));
        std::printf("%ld\n", i);
        std::fflush(stdout);
        if (i == first && !armKillTimer(killAfterMicroseconds))
            return 3;
    }
}

int checkStorm(const char* path, long count) {
    SettingsDefaults store(path);
    for (long i = 0; i < count; ++i) {
        if (store.stringForKey(stormKey(i)) != stormValue(i)) {
            std::fprintf(stderr, "%s lost\n", stormKey(i).c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write-samples" && argc == 3)
        return writeSamples(argv[2]);
    if (mode == "check-samples" && argc == 3)
        return checkSamples(argv[2]);
    if (mode == "storm" && argc == 5)
        return storm(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    if (mode == "check-storm" && argc == 4)
        return checkStorm(argv[2], std::atol(argv[3]));
    std::fprintf(stderr,
                 "usage: %s write-samples|check-samples PATH | check-storm PATH COUNT"
                 " | storm PATH FIRST KILL-AFTER-MICROSECONDS\n",
                 argv[0]);
    return 2;
}
