#include "status_line.h"

#include "extension_notice.h"
#include "two_line_label.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vontal {

namespace {

TwoLineLabel* makeLine(const char* name, QWidget* parent) {
    auto* line = new TwoLineLabel(parent);
    line->setObjectName(QLatin1String(name));
    return line;
}

} // namespace

StatusLine::StatusLine(StatusReport& report, Diagnostics& diagnostics, QWidget* parent)
    : QWidget(parent), report_(report) {
    setObjectName(QStringLiteral("statusLine"));
    bluetooth_ = makeLine("bluetoothStatus", this);
    switchOn_ = new QPushButton(QCoreApplication::translate("StatusLine", "Switch On"), this);
    switchOn_->setObjectName(QStringLiteral("bluetoothSwitchOn"));
    connect(switchOn_, &QPushButton::clicked, this, [this] { report_.switchAdapterOn(); });
    desktop_ = makeLine("desktopStatus", this);
    login_ = makeLine("loginItemStatus", this);
    passwords_ = makeLine("passwordStatus", this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bluetoothRow = new QHBoxLayout;
    bluetoothRow->setContentsMargins(6, 4, 6, 4);
    bluetoothRow->addWidget(bluetooth_, 1);
    bluetoothRow->addWidget(switchOn_);
    layout->addLayout(bluetoothRow);
    for (QLabel* line : {desktop_, login_, passwords_})
        line->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(desktop_);
    // The extension's part has its own button and follows the Shell by itself.
    if (report_.extension()) {
        extension_ = new ExtensionNotice(report_.extension(), diagnostics, this);
        layout->addWidget(extension_);
    }
    layout->addWidget(login_);
    layout->addWidget(passwords_);

    changes_ = report_.changed().subscribe([this] { update(); });
    update();
}

void StatusLine::update() {
    TwoLineLabel* const lines[] = {bluetooth_, desktop_, login_, passwords_};
    for (TwoLineLabel* line : lines)
        line->setFullText({});
    bool adapterAction = false;
    for (const StatusReport::Line& line : report_.lines()) {
        switch (line.topic) {
        case StatusReport::Topic::Bluetooth:
            bluetooth_->setFullText(line.text);
            adapterAction = line.action == StatusReport::Action::SwitchAdapterOn;
            break;
        case StatusReport::Topic::Desktop:
            // The extension's part says its own state.
            if (!extension_)
                desktop_->setFullText(line.text);
            break;
        case StatusReport::Topic::BusName:
            desktop_->setFullText(line.text);
            break;
        case StatusReport::Topic::LoginItem:
            login_->setFullText(line.text);
            break;
        case StatusReport::Topic::Passwords:
            passwords_->setFullText(line.text);
            break;
        }
    }
    for (TwoLineLabel* line : lines)
        line->setVisible(!line->fullText().isEmpty());
    switchOn_->setVisible(adapterAction);
    switchOn_->setEnabled(!report_.switchingAdapterOn());
    const bool extensionShown = extension_ && !extension_->isHidden();
    setVisible(!bluetooth_->isHidden() || !desktop_->isHidden() || !login_->isHidden() ||
               !passwords_->isHidden() || extensionShown);
}

QStringList StatusLine::shownTexts() const {
    QStringList texts;
    for (const TwoLineLabel* line : {bluetooth_, desktop_})
        if (!line->isHidden())
            texts << line->fullText();
    if (extension_ && !extension_->isHidden())
        texts << extension_->line()->text();
    for (const TwoLineLabel* line : {login_, passwords_})
        if (!line->isHidden())
            texts << line->fullText();
    return texts;
}

} // namespace vontal
