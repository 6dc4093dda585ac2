#pragma once

#include "platform/diagnostics.h"
#include "status_report.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vontal {

class ExtensionNotice;

// Above the lists: what keeps vontal from doing its job, one line per concern, with a button
// where vontal can help (switching the adapter on; the GNOME part switches vontal's extension
// on). Hidden when all is well.
class StatusLine final : public QWidget {
public:
    StatusLine(StatusReport& report, Diagnostics& diagnostics, QWidget* parent = nullptr);

    QLabel* bluetoothLine() const { return bluetooth_; }
    QPushButton* switchBluetoothOn() const { return switchOn_; }
    QLabel* desktopLine() const { return desktop_; }
    QLabel* loginLine() const { return login_; }
    // The GNOME part; null on other desktops.
    ExtensionNotice* extensionNotice() const { return extension_; }
    // The texts shown now, top to bottom.
    QStringList shownTexts() const;

private:
    void update();

    StatusReport& report_;
    QLabel* bluetooth_ = nullptr;
    QPushButton* switchOn_ = nullptr;
    QLabel* desktop_ = nullptr;
    ExtensionNotice* extension_ = nullptr;
    QLabel* login_ = nullptr;
    Subscription changes_;
};

} // namespace vontal
