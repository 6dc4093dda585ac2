#include "platform/wlroots/wlroots_workspace.h"

#include "platform/frontmost/activation_observers.h"
#include "platform/frontmost/activation_tracker.h"
#include "platform/frontmost/app_id_resolver.h"
#include "platform/frontmost/gio_application_catalog.h"
#include "platform/wlroots/foreign_toplevels.h"

#include <QSocketNotifier>
#include <QTimer>

namespace vontal {

struct WlrootsWorkspace::Impl {
    Impl(Diagnostics& diagnostics, std::unique_ptr<ForeignToplevels> toplevels)
        : diagnostics(diagnostics), toplevels(std::move(toplevels)),
          notifier(this->toplevels->descriptor(), QSocketNotifier::Read) {
        gapTimer.setSingleShot(true);
        gapTimer.setInterval(ActivationTracker::kGapDuration);
        QObject::connect(&gapTimer, &QTimer::timeout, &gapTimer, [this] {
            tracker.gapLasted();
            frontmost.reset();
        });
        QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [this] { read(); });
    }

    // The application in front when watching starts is where we start, not an activation.
    void start() {
        tracker.start(std::nullopt);
        if (const auto appId = toplevels->activatedAppId()) {
            const auto app = resolveAppId(catalog, *appId);
            tracker.start(app.identity);
            frontmost = RunningApplication::named(app.localizedName);
        }
    }

    void read() {
        if (!toplevels->readAvailable()) {
            connectionLost();
            return;
        }
        // Every step, so that focus on no window between two windows starts a gap that the next
        // step ends. The compositor re-describes the focused toplevel on every title change; only
        // a change of the application in front counts, which the tracker decides.
        for (const auto& appId : toplevels->takeFrontChanges())
            frontIs(appId);
    }

    void frontIs(const std::optional<std::string>& appId) {
        if (!appId) {
            if (tracker.focusCleared() && !gapTimer.isActive())
                gapTimer.start();
            return;
        }
        gapTimer.stop();
        const auto app = resolveAppId(catalog, *appId);
        if (tracker.windowFocused(app.identity)) {
            frontmost = RunningApplication::named(app.localizedName);
            observers.post(Notification::activation(app.localizedName));
        }
    }

    void connectionLost() {
        notifier.setEnabled(false);
        gapTimer.stop();
        frontmost.reset();
        diagnostics.line(
            "Wayland compositor connection lost: application activations are no longer observed");
    }

    Diagnostics& diagnostics;
    std::unique_ptr<ForeignToplevels> toplevels;
    GioApplicationCatalog catalog;
    ActivationTracker tracker;
    // What the last activation (or the start) described; null during a real gap.
    std::shared_ptr<RunningApplication> frontmost;
    ActivationObservers observers;
    QSocketNotifier notifier;
    QTimer gapTimer;
};

std::unique_ptr<WlrootsWorkspace>
WlrootsWorkspace::connect(Diagnostics& diagnostics, const char* displayName, std::string& whyNot) {
    auto toplevels = ForeignToplevels::connect(displayName, whyNot);
    if (!toplevels)
        return nullptr;
    auto impl = std::make_unique<Impl>(diagnostics, std::move(toplevels));
    impl->start();
    return std::unique_ptr<WlrootsWorkspace>(new WlrootsWorkspace(std::move(impl)));
}

WlrootsWorkspace::WlrootsWorkspace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WlrootsWorkspace::~WlrootsWorkspace() = default;

Subscription
WlrootsWorkspace::observeActivations(std::function<void(const Notification&)> observer) {
    return impl_->observers.add(std::move(observer));
}

std::shared_ptr<RunningApplication> WlrootsWorkspace::frontmostApplication() const {
    return impl_->frontmost;
}

std::optional<std::string> WlrootsWorkspace::frontApplication() const {
    return impl_->tracker.front();
}

unsigned WlrootsWorkspace::protocolVersion() const {
    return impl_->toplevels->version();
}

} // namespace vontal
