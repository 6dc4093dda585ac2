#include "platform/frontmost/reported_front.h"

#include "platform/frontmost/app_id_resolver.h"

namespace vontal {

ReportedFront::ReportedFront(ApplicationCatalog& catalog, Timers& timers)
    : catalog_(catalog), timers_(timers) {}

void ReportedFront::awaitStartingReport() {
    awaitingStart_ = true;
}

void ReportedFront::forget() {
    gap_.cancel();
    tracker_.start(std::nullopt);
    frontmost_.reset();
    awaitingStart_ = true;
}

void ReportedFront::start(std::string_view desktopId) {
    awaitingStart_ = false;
    gap_.cancel();
    if (desktopId.empty()) {
        tracker_.start(std::nullopt);
        frontmost_.reset();
        return;
    }
    const auto app = resolveAppId(catalog_, desktopId);
    tracker_.start(app.identity);
    frontmost_ = RunningApplication::named(app.localizedName);
}

void ReportedFront::report(std::string_view desktopId) {
    if (awaitingStart_) {
        start(desktopId);
        return;
    }
    if (desktopId.empty()) {
        // Desktops report no application for an instant on most switches; only a gap that lasts
        // lets the same application count again.
        if (tracker_.focusCleared() && !gap_.active()) {
            gap_ = timers_.singleShot(ActivationTracker::kGapDuration, [this] {
                gap_ = Subscription();
                tracker_.gapLasted();
                frontmost_.reset();
            });
        }
        return;
    }
    gap_.cancel();
    const auto app = resolveAppId(catalog_, desktopId);
    if (tracker_.windowFocused(app.identity)) {
        frontmost_ = RunningApplication::named(app.localizedName);
        observers_.post(Notification::activation(app.localizedName));
    }
}

} // namespace vontal
