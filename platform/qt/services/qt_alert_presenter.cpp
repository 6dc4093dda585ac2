#include "qt_alert_presenter.h"

#include "alert_dialog.h"

#include <QList>
#include <QPointer>
#include <algorithm>

namespace vontal {

struct QtAlertPresenter::Open {
    // Alerts nest: a queued task may open one while another waits.
    QList<QPointer<AlertDialog>> dialogs;
};

QtAlertPresenter::QtAlertPresenter() : open_(std::make_unique<Open>()) {}

QtAlertPresenter::~QtAlertPresenter() = default;

AlertResponse QtAlertPresenter::runModal(const AlertRequest& request) {
    const int cancel = kAlertFirstButtonReturn + std::max(1, int(request.buttons.size()) - 1);
    if (closing_)
        return AlertResponse{cancel, {}};
    // No parent: a window closed while the alert is open must not take the alert with it.
    AlertDialog dialog(request);
    open_->dialogs.append(&dialog);
    dialog.exec();
    open_->dialogs.removeAll(&dialog);
    return AlertResponse{dialog.responseCode(), dialog.fieldText().toStdString()};
}

void QtAlertPresenter::dismiss() {
    for (auto it = open_->dialogs.rbegin(); it != open_->dialogs.rend(); ++it) {
        if (*it) {
            (*it)->reject();
            return;
        }
    }
}

void QtAlertPresenter::closeAll() {
    closing_ = true;
    // Innermost first: each rejection ends that alert's loop.
    const auto dialogs = open_->dialogs;
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        if (*it)
            (*it)->reject();
}

int QtAlertPresenter::openNow() const {
    return int(open_->dialogs.size());
}

} // namespace vontal
