#pragma once

#include "platform/diagnostics.h"
#include "status_report.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vontal {

class ExtensionNotice;
class TwoLineLabel;

// Above the lists: what keeps vontal from doing its job, one line per concern, with a button
// where vontal can help (switching the adapter on; the GNOME part switches vontal's extension
// on). Hidden when all is well.
class StatusLine final : public QWidget {
public:
    StatusLine(StatusReport& report, Diagnostics& diagnostics, QWidget* parent = nullptr);

    // Each line takes at most two lines of the window; its whole text is its fullText().
    TwoLineLabel* bluetoothLine() const { return bluetooth_; }
    QPushButton* switchBluetoothOn() const { return switchOn_; }
    TwoLineLabel* desktopLine() const { return desktop_; }
    TwoLineLabel* loginLine() const { return login_; }
    // The GNOME part; null on other desktops.
    ExtensionNotice* extensionNotice() const { return extension_; }
    // The texts shown now, top to bottom, whole.
    QStringList shownTexts() const;

private:
    void update();

    StatusReport& report_;
    TwoLineLabel* bluetooth_ = nullptr;
    QPushButton* switchOn_ = nullptr;
    TwoLineLabel* desktop_ = nullptr;
    ExtensionNotice* extension_ = nullptr;
    TwoLineLabel* login_ = nullptr;
    TwoLineLabel* passwords_ = nullptr; // where device passwords are kept
    Subscription changes_;
};

} // namespace vontal
