#pragma once

#include "platform/diagnostics.h"
#include "platform/gnome/shell_extension.h"

#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;

namespace vontal {

// The words for a state of vontal's GNOME Shell extension; empty while it needs nothing.
QString extensionStatusText(ShellExtension::State state, const QString& shellVersion);

// The GNOME part of the status line, while vontal's GNOME Shell extension is not running: what
// keeps it from running, with a button that switches it on when the Shell can run it now. Hidden
// while the extension is on, and on desktops without one.
class ExtensionNotice final : public QWidget {
public:
    ExtensionNotice(std::shared_ptr<ShellExtension> extension, Diagnostics& diagnostics,
                    QWidget* parent = nullptr);

    QLabel* line() const { return line_; }
    QPushButton* switchOn() const { return switchOn_; }

private:
    void update();
    void clicked();

    std::shared_ptr<ShellExtension> extension_;
    Diagnostics& diagnostics_;
    QLabel* line_ = nullptr;
    QPushButton* switchOn_ = nullptr;
};

} // namespace vontal
