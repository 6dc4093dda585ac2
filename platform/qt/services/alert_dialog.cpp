#include "alert_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vontal {

AlertDialog::AlertDialog(const AlertRequest& request, QWidget* parent)
    : QDialog(parent), buttonCount_(static_cast<int>(request.buttons.size())) {
    setObjectName(QString::fromLatin1(kObjectName));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setWindowModality(Qt::ApplicationModal);

    auto* message = new QLabel(QString::fromStdString(request.messageText), this);
    message->setObjectName(QString::fromLatin1(kMessageObjectName));
    // The message carries the device's advertised name, which must never be read as markup.
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);

    field_ = new QLineEdit(this);
    field_->setObjectName(QString::fromLatin1(kFieldObjectName));
    field_->setEchoMode(QLineEdit::Password);
    field_->setFixedSize(request.fieldWidth, request.fieldHeight);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int index = 0; index < buttonCount_; ++index) {
        auto* button = new QPushButton(
            QString::fromStdString(request.buttons[static_cast<std::size_t>(index)]), this);
        button->setObjectName(QString::fromLatin1(kButtonObjectNamePrefix) +
                              QString::number(index));
        button->setAutoDefault(false);
        button->setDefault(index == 0);
        connect(button, &QPushButton::clicked, this, [this, index] { choose(index); });
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    field_->setFocus();
}

QString AlertDialog::fieldText() const {
    return field_->text();
}

void AlertDialog::choose(int index) {
    response_ = kAlertFirstButtonReturn + index;
    done(index == 0 ? QDialog::Accepted : QDialog::Rejected);
}

void AlertDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The alert interrupts whatever the user was doing elsewhere; bring it where the keys go.
    raise();
    activateWindow();
}

void AlertDialog::reject() {
    // Escape or the window's close box: never the accepting button.
    response_ = kAlertFirstButtonReturn + std::max(1, buttonCount_ - 1);
    QDialog::reject();
}

} // namespace vontal
