#include "update_pacer.h"

namespace vontal {

UpdatePacer::UpdatePacer(std::function<void()> update) : update_(std::move(update)) {}

void UpdatePacer::pace(Timers& timers, std::chrono::milliseconds gap) {
    timers_ = &timers;
    gap_ = gap;
}

void UpdatePacer::request() {
    if (inGap_) {
        waiting_ = true;
        return;
    }
    if (queued_)
        return;
    queued_ = true;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            queued_ = false;
            run();
        },
        Qt::QueuedConnection);
}

void UpdatePacer::run() {
    waiting_ = false;
    if (timers_ && gap_.count() > 0) {
        inGap_ = true;
        gapTimer_ = timers_->singleShot(gap_, [this] { gapOver(); });
    }
    update_();
}

void UpdatePacer::gapOver() {
    inGap_ = false;
    if (waiting_)
        run();
}

} // namespace vontal
