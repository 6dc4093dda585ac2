#include "extension_notice.h"

#include "display_text.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace vontal {

QString extensionStatusText(ShellExtension::State state, const QString& shellVersion) {
    switch (state) {
    case ShellExtension::State::Off:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent until the GNOME extension is "
                               "switched on.");
    case ShellExtension::State::NextLogin:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are sent after your next login, when GNOME loads "
                               "the extension.");
    case ShellExtension::State::OutOfDate:
        return QCoreApplication::translate("ExtensionNotice",
                                           "Application names are not sent: vontal's GNOME "
                                           "extension does not support GNOME Shell %1 yet.")
            .arg(display::shown(shellVersion.section(QLatin1Char('.'), 0, 0)));
    case ShellExtension::State::Failed:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent: GNOME could not run vontal's "
                               "extension.");
    case ShellExtension::State::NotInstalled:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent: vontal's GNOME extension is not "
                               "installed. Installing vontal's package installs it.");
    case ShellExtension::State::Unknown:
    case ShellExtension::State::On:
        break;
    }
    return {};
}

ExtensionNotice::ExtensionNotice(std::shared_ptr<ShellExtension> extension,
                                 Diagnostics& diagnostics, QWidget* parent)
    : QWidget(parent), extension_(std::move(extension)), diagnostics_(diagnostics) {
    setObjectName(QStringLiteral("extensionNotice"));
    line_ = new QLabel(this);
    line_->setObjectName(QStringLiteral("extensionNoticeLine"));
    // It quotes the Shell's version as the Shell reports it.
    line_->setTextFormat(Qt::PlainText);
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
    const QString text =
        extensionStatusText(state, extension_ ? extension_->shellVersion() : QString());
    line_->setText(text);
    switchOn_->setVisible(state == ShellExtension::State::Off);
    switchOn_->setEnabled(true);
    setVisible(!text.isEmpty());
}

void ExtensionNotice::clicked() {
    // One request at a time; the Shell answers with the new state, which hides this line.
    switchOn_->setEnabled(false);
    QPointer<ExtensionNotice> self(this);
    extension_->switchOn([self](std::optional<std::string> whyNot) {
        if (!whyNot || !self)
            return;
        self->diagnostics_.line("GNOME Shell did not switch vontal's extension on (" + *whyNot +
                                ")");
        self->switchOn_->setEnabled(true);
    });
}

} // namespace vontal
