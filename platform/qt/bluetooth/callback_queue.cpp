#include "callback_queue.h"

#include <QMetaObject>

namespace vontal {

CallbackQueue::CallbackQueue() : context_(std::make_unique<QObject>()) {}

CallbackQueue::~CallbackQueue() = default;

void CallbackQueue::post(std::function<void()> callback) {
    if (!context_)
        return;
    QMetaObject::invokeMethod(context_.get(), std::move(callback), Qt::QueuedConnection);
}

void CallbackQueue::close() {
    context_.reset();
}

} // namespace vontal
