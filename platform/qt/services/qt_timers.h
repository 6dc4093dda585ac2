#pragma once

#include "platform/timers.h"

#include <QObject>
#include <memory>

namespace vontal {

// Timers on QTimer. They fire in whatever event loop runs, so ticks keep coming while a modal
// dialog's nested loop is open. Timers still running when this object is destroyed stop.
class QtTimers final : public Timers {
public:
    [[nodiscard]] Subscription repeating(std::chrono::milliseconds interval,
                                         std::function<void()> tick) override;
    [[nodiscard]] Subscription singleShot(std::chrono::milliseconds delay,
                                          std::function<void()> task) override;

private:
    // Parent of every QTimer handed out, so none outlives this object.
    std::unique_ptr<QObject> owner_ = std::make_unique<QObject>();
};

} // namespace vontal
