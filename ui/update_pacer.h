#pragma once

#include "platform/subscription.h"
#include "platform/timers.h"

#include <QObject>
#include <chrono>
#include <functional>

namespace vontal {

// Runs an update on the next turn of the Qt event loop after it is asked for. Once paced, it runs
// at most once per gap: requests within the gap are gathered into one run at its end. The update
// reads the state when it runs, so the latest state wins and nothing stale stays shown; a tray or
// a status line under a flapping bluetoothd changes about once a second instead of ten times.
class UpdatePacer final {
public:
    explicit UpdatePacer(std::function<void()> update);
    UpdatePacer(const UpdatePacer&) = delete;
    UpdatePacer& operator=(const UpdatePacer&) = delete;

    // From now on, at most one run per `gap` of `timers`' clock (which must outlive the pacer).
    void pace(Timers& timers, std::chrono::milliseconds gap);
    void request();

private:
    void run();
    void gapOver();

    std::function<void()> update_;
    Timers* timers_ = nullptr;
    std::chrono::milliseconds gap_{0};
    Subscription gapTimer_;
    bool inGap_ = false;
    bool queued_ = false;
    bool waiting_ = false;
    // Context of the queued run: none comes once the pacer is gone.
    QObject context_;
};

} // namespace vontal
