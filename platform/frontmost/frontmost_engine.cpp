#include "platform/frontmost/frontmost_engine.h"

#include "platform/frontmost/app_id_resolver.h"

namespace vontal {

FrontmostEngine::FrontmostEngine(ApplicationCatalog& catalog, Timers& timers)
    : catalog_(catalog), timers_(timers) {}

void FrontmostEngine::start(std::optional<ResolvedApplication> app) {
    awaitingStart_ = false;
    gap_.cancel();
    front_.reset();
    frontmost_.reset();
    if (app) {
        front_ = std::move(app->identity);
        frontmost_ = RunningApplication::named(std::move(app->localizedName));
    }
}

void FrontmostEngine::cameToFront(const ResolvedApplication& app) {
    if (awaitingStart_) {
        start(app);
        return;
    }
    gap_.cancel();
    if (front_ == app.identity)
        return;
    front_ = app.identity;
    frontmost_ = RunningApplication::named(app.localizedName);
    observers_.fire(Notification::activation(app.localizedName));
}

void FrontmostEngine::appIdInFront(std::optional<std::string_view> appId) {
    if (appId)
        cameToFront(resolveAppId(catalog_, *appId));
    else
        nothingInFront();
}

void FrontmostEngine::nothingInFront() {
    if (awaitingStart_) {
        start(std::nullopt);
        return;
    }
    // Only a gap that lasts lets the same application count again; one under way keeps counting
    // from its start.
    if (!front_ || gap_.active())
        return;
    gap_ = timers_.singleShot(kGapDuration, [this] {
        gap_ = Subscription();
        front_.reset();
        frontmost_.reset();
    });
}

void FrontmostEngine::forget() {
    start(std::nullopt);
    awaitingStart_ = true;
}

} // namespace vontal
