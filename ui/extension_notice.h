#pragma once

#include "platform/diagnostics.h"

#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;

namespace vontal {

class ShellExtension;

// One short line above the lists while vontal's GNOME Shell extension is not running: with a
// button that switches it on when the Shell can run it now, or saying that it runs after the next
// login. Hidden while the extension is on, and on desktops without one.
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
