#include "qt_alert_presenter.h"

#include "alert_dialog.h"

namespace vontal {

AlertResponse QtAlertPresenter::runModal(const AlertRequest& request) {
    // No parent: a window closed while the alert is open must not take the alert with it.
    AlertDialog dialog(request);
    dialog.exec();
    return AlertResponse{dialog.responseCode(), dialog.fieldText().toStdString()};
}

} // namespace vontal
