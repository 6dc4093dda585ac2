#include "qt_timers.h"

#include <QPointer>
#include <QTimer>

namespace vontal {

namespace {

// The timer may already be gone with its owner; a callback may also cancel its own timer while
// the timer is emitting, hence stop() now and delete later.
Subscription cancellerFor(QTimer* timer) {
    return Subscription([guard = QPointer<QTimer>(timer)] {
        if (guard) {
            guard->stop();
            guard->deleteLater();
        }
    });
}

QTimer* makeTimer(QObject* owner, std::chrono::milliseconds interval) {
    auto* timer = new QTimer(owner);
    // The keep-alive period is part of the device protocol; a coarse timer may drift by 5 %.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(interval);
    return timer;
}

} // namespace

Subscription QtTimers::repeating(std::chrono::milliseconds interval, std::function<void()> tick) {
    QTimer* timer = makeTimer(owner_.get(), interval);
    QObject::connect(timer, &QTimer::timeout, timer, std::move(tick));
    timer->start();
    return cancellerFor(timer);
}

Subscription QtTimers::singleShot(std::chrono::milliseconds delay, std::function<void()> task) {
    QTimer* timer = makeTimer(owner_.get(), delay);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, task = std::move(task)] {
        timer->deleteLater();
        task();
    });
    timer->start();
    return cancellerFor(timer);
}

} // namespace vontal
