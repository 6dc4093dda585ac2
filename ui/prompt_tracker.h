#pragma once

#include "platform/alert_presenter.h"
#include "platform/change_signal.h"

namespace vontal {

// Stands between the device link and the real alerts and counts the alerts open right now, so
// that the tray can show that a device waits for its password even when no window is open.
class PromptTracker final : public AlertPresenter {
public:
    explicit PromptTracker(AlertPresenter& alerts) : alerts_(alerts) {}

    AlertResponse runModal(const AlertRequest& request) override {
        ++open_;
        changed_.fire();
        AlertResponse response = alerts_.runModal(request);
        --open_;
        changed_.fire();
        return response;
    }
    void dismiss() override { alerts_.dismiss(); }

    int open() const { return open_; }
    // Told after an alert opens and after it closes.
    ChangeSignal& changed() { return changed_; }

private:
    AlertPresenter& alerts_;
    int open_ = 0;
    ChangeSignal changed_;
};

} // namespace vontal
