#include "extension_notice.h"

#include "platform/gnome/shell_extension.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vontal {

ExtensionNotice::ExtensionNotice(std::shared_ptr<ShellExtension> extension,
                                 Diagnostics& diagnostics, QWidget* parent)
    : QWidget(parent), extension_(std::move(extension)), diagnostics_(diagnostics) {
    setObjectName(QStringLiteral("extensionNotice"));
    line_ = new QLabel(this);
    line_->setObjectName(QStringLiteral("extensionNoticeLine"));
    line_->setWordWrap(true);
    switchOn_ = new QPushButton(QCoreApplication::translate("ExtensionNotice", "Switch On"), this);
    switchOn_->setObjectName(QStringLiteral("extensionSwitchOn"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(line_, 1);
    layout->addWidget(switchOn_);
    connect(switchOn_, &QPushButton::clicked, this, [this] { clicked(); });
    if (extension_)
        connect(extension_.get(), &ShellExtension::changed, this, [this] { update(); });
    update();
}

void ExtensionNotice::update() {
    const auto state = extension_ ? extension_->state() : ShellExtension::State::Unknown;
    switch (state) {
    case ShellExtension::State::Off:
        line_->setText(QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent until the GNOME extension is "
                               "switched on."));
        switchOn_->setVisible(true);
        switchOn_->setEnabled(true);
        setVisible(true);
        break;
    case ShellExtension::State::NextLogin:
        line_->setText(QCoreApplication::translate(
            "ExtensionNotice", "Application names are sent after your next login, when GNOME loads "
                               "the extension."));
        switchOn_->setVisible(false);
        setVisible(true);
        break;
    case ShellExtension::State::OutOfDate:
        line_->setText(
            QCoreApplication::translate("ExtensionNotice",
                                        "Application names are not sent: vontal's GNOME extension "
                                        "does not support GNOME Shell %1 yet.")
                .arg(extension_->shellVersion().section(QLatin1Char('.'), 0, 0)));
        switchOn_->setVisible(false);
        setVisible(true);
        break;
    case ShellExtension::State::Failed:
        line_->setText(QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent: GNOME could not run vontal's "
                               "extension."));
        switchOn_->setVisible(false);
        setVisible(true);
        break;
    default:
        setVisible(false);
        break;
    }
}

void ExtensionNotice::clicked() {
    std::string whyNot;
    // The Shell answers with the new state, which hides this line.
    if (extension_->switchOn(whyNot))
        switchOn_->setEnabled(false);
    else
        diagnostics_.line("GNOME Shell did not switch vontal's extension on (" + whyNot + ")");
}

} // namespace vontal
