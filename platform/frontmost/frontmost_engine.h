#pragma once

#include "platform/change_signal.h"
#include "platform/frontmost/application_catalog.h"
#include "platform/timers.h"
#include "platform/workspace.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vontal {

// Turns what a desktop's observer sees come to the front into activations, on the main thread.
// The first report after construction or forget() says where we start and is no activation.
// Afterwards only a change of the front application is one: another window or a dialog of the
// front application is none. Nothing in front is a gap only once it has lasted kGapDuration
// (desktops clear the focus for an instant on most switches); after a real gap the next
// application is an activation even if it is the same one.
class FrontmostEngine {
public:
    static constexpr std::chrono::milliseconds kGapDuration{100};

    // Both outlive the engine.
    FrontmostEngine(ApplicationCatalog& catalog, Timers& timers);

    // A window of this application came to the front.
    void cameToFront(const ResolvedApplication& app);
    // A toplevel with this app_id (a desktop id, an X class) came to the front; nullopt: nothing
    // is in front.
    void appIdInFront(std::optional<std::string_view> appId);
    // No application is in front (the desktop, a panel, the task switcher, no window).
    void nothingInFront();
    // Nothing is known to be in front any more; the next report is where we start again.
    void forget();

    // The next report is where we start.
    bool awaitingStart() const { return awaitingStart_; }
    [[nodiscard]] Subscription observe(std::function<void(const Notification&)> observer) {
        return observers_.subscribe(std::move(observer));
    }
    // As the last activation (or the start) described it; null when no application is in front.
    std::shared_ptr<RunningApplication> frontmost() const { return frontmost_; }
    // Who is in front, as told apart for activations; nullopt when no application is.
    const std::optional<std::string>& front() const { return front_; }

private:
    void start(std::optional<ResolvedApplication> app);

    ApplicationCatalog& catalog_;
    Timers& timers_;
    Signal<const Notification&> observers_;
    std::optional<std::string> front_;
    std::shared_ptr<RunningApplication> frontmost_;
    Subscription gap_;
    bool awaitingStart_ = true;
};

// A workspace whose front is kept by an engine that its desktop's observer feeds.
class FrontmostWorkspace : public Workspace {
public:
    [[nodiscard]] Subscription
    observeActivations(std::function<void(const Notification&)> observer) override {
        return engine_.observe(std::move(observer));
    }
    std::shared_ptr<RunningApplication> frontmostApplication() const override {
        return engine_.frontmost();
    }
    // Who is in front, as told apart for activations; nullopt when no application is.
    std::optional<std::string> frontApplication() const { return engine_.front(); }
    // For a workspace that wraps this one.
    FrontmostEngine& engine() const { return engine_; }

protected:
    // The engine outlives this workspace's use of it.
    explicit FrontmostWorkspace(FrontmostEngine& engine) : engine_(engine) {}

private:
    FrontmostEngine& engine_;
};

} // namespace vontal
