#pragma once

#include "platform/alert_presenter.h"

namespace vontal {

// Runs the password alert as an application-modal dialog in a nested event loop: timers, queued
// tasks and Bluetooth events keep arriving while it is open.
class QtAlertPresenter final : public AlertPresenter {
public:
    AlertResponse runModal(const AlertRequest& request) override;
};

} // namespace vontal
