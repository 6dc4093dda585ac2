#pragma once

#include "platform/main_queue.h"

#include <QObject>
#include <memory>

namespace vontal {

// Tasks queued on the Qt event loop of the calling (main) thread. They run in the order queued,
// also inside nested loops such as a modal dialog's. Tasks still waiting when the queue is
// destroyed are dropped.
class QtMainQueue final : public MainQueue {
public:
    void async(std::function<void()> task) override {
        QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
    }

private:
    // Queued invocations die with their receiver, which is what drops pending tasks.
    std::unique_ptr<QObject> receiver_ = std::make_unique<QObject>();
};

} // namespace vontal
