#pragma once

// Every report to the device link goes through here: queued on the main thread, in order, never
// inside a call the device link made, and dropped once the central is gone.

#include <QObject>
#include <functional>
#include <memory>

namespace vontal {

class CallbackQueue {
public:
    CallbackQueue();
    ~CallbackQueue();
    CallbackQueue(const CallbackQueue&) = delete;
    CallbackQueue& operator=(const CallbackQueue&) = delete;

    void post(std::function<void()> callback);
    // Drops what is queued and everything posted later.
    void close();
    bool isOpen() const { return context_ != nullptr; }

private:
    // Queued calls belong to this object; destroying it discards them.
    std::unique_ptr<QObject> context_;
};

} // namespace vontal
