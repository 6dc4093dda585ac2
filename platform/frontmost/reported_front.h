#pragma once

#include "platform/frontmost/activation_observers.h"
#include "platform/frontmost/activation_tracker.h"
#include "platform/frontmost/application_catalog.h"
#include "platform/timers.h"
#include "platform/workspace.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vontal {

// The front application as a desktop component tells it (a KWin script, a GNOME Shell
// extension): each report names the application now in front by its desktop id, or "" when none
// is (the desktop, a panel, the task switcher, no window). Reports become activations under the
// same rules as on X11 and wlroots; names come from the catalog, on the main thread.
class ReportedFront {
public:
    ReportedFront(ApplicationCatalog& catalog, Timers& timers);

    // The next report describes what is in front when the reporter starts (or starts again):
    // where we start, not an activation. This is the state after construction.
    void awaitStartingReport();

    // The reporter says this application is in front now ("" for none).
    void report(std::string_view desktopId);

    // The reporter is gone: nothing is known to be in front until it reports again, and its
    // first report is where we start.
    void forget();

    [[nodiscard]] Subscription observe(ActivationObservers::Observer observer) {
        return observers_.add(std::move(observer));
    }
    // As the last activation (or the start) described it; null when no application is in front.
    std::shared_ptr<RunningApplication> frontmost() const { return frontmost_; }
    // Who is in front, as told apart for activations.
    const std::optional<std::string>& front() const { return tracker_.front(); }

private:
    void start(std::string_view desktopId);

    ApplicationCatalog& catalog_;
    Timers& timers_;
    ActivationTracker tracker_;
    ActivationObservers observers_;
    std::shared_ptr<RunningApplication> frontmost_;
    Subscription gap_;
    bool awaitingStart_ = true;
};

} // namespace vontal
