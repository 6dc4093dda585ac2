#include "qt_alert_presenter.h"

#include "alert_dialog.h"

#include <algorithm>

namespace vontal {

AlertResponse QtAlertPresenter::runModal(const AlertRequest& request) {
    const int cancel = kAlertFirstButtonReturn + std::max(1, int(request.buttons.size()) - 1);
    if (closing_)
        return AlertResponse{cancel, {}};
    // No parent: a window closed while the alert is open must not take the alert with it.
    AlertDialog dialog(request);
    open_.append(&dialog);
    dialog.exec();
    open_.removeAll(&dialog);
    return AlertResponse{dialog.responseCode(), dialog.fieldText().toStdString()};
}

void QtAlertPresenter::dismiss() {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        if (*it) {
            (*it)->reject();
            return;
        }
    }
}

void QtAlertPresenter::closeAll() {
    closing_ = true;
    // Innermost first: each rejection ends that alert's loop.
    const auto dialogs = open_;
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        if (*it)
            (*it)->reject();
}

int QtAlertPresenter::openNow() const {
    return int(open_.size());
}

} // namespace vontal
