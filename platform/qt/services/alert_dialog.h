#pragma once

#include "platform/alert_presenter.h"

#include <QDialog>

class QLineEdit;

namespace vontal {

// The modal password alert: the message, one masked single-line field and the buttons in the
// order given, the first one accepting. Closing it any other way counts as the last button.
class AlertDialog final : public QDialog {
public:
    // Names by which tests and desktop automation find the alert and its parts.
    // The title as written; shown in the user's language (localizedTitle()).
    static constexpr const char* kWindowTitle =
        QT_TRANSLATE_NOOP("PasswordAlert", "vontal password");
    static constexpr const char* kObjectName = "vontalAlert";
    static constexpr const char* kMessageObjectName = "alertMessage";
    static constexpr const char* kDetailObjectName = "alertDetail";
    static constexpr const char* kFieldObjectName = "alertField";
    // Buttons are named "alertButton0", "alertButton1", ... in the order given.
    static constexpr const char* kButtonObjectNamePrefix = "alertButton";

    // The dialog is as wide as its title needs and as its message needs to stand on one line
    // with a device name of up to this many characters; a longer name wraps at that width. It is
    // never wider than three quarters of the screen: there the message wraps between words.
    // Control characters in the message show as visible symbols.
    static constexpr int kNameShownWhole = 32;
    static constexpr int kScreenShareNumerator = 3;
    static constexpr int kScreenShareDenominator = 4;
    static int maximumDialogWidth();
    static QString localizedTitle();

    explicit AlertDialog(const AlertRequest& request, QWidget* parent = nullptr);

    // The button chosen: kAlertFirstButtonReturn + its index.
    int responseCode() const { return response_; }
    QString fieldText() const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose(int index);

    QLineEdit* field_ = nullptr;
    int buttonCount_ = 0;
    int response_ = kAlertFirstButtonReturn + 1;
};

} // namespace vontal
