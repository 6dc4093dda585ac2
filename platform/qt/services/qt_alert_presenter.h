#pragma once

#include "platform/alert_presenter.h"

#include <QDialog>
#include <QList>
#include <QPointer>

namespace vontal {

// Runs the password alert as a dialog in a nested event loop: timers, queued tasks and Bluetooth
// events keep arriving while it is open, and so does the user's input to the windows and the
// tray, so that a device can be disconnected and vontal quit while an alert waits.
class QtAlertPresenter final : public AlertPresenter {
public:
    AlertResponse runModal(const AlertRequest& request) override;
    void dismiss() override;

    // On the way out: every open alert closes as its last button ("Cancel"), and alerts asked
    // for from now on answer so at once without showing.
    void closeAll();
    int openNow() const;

private:
    // Alerts nest: a queued task may open one while another waits.
    QList<QPointer<QDialog>> open_;
    bool closing_ = false;
};

} // namespace vontal
