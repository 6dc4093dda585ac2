#include "device_row.h"

#include "display_text.h"
#include "elided_label.h"
#include "labels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vontal {

DeviceRow::DeviceRow(Kind kind, Tap tap, QWidget* parent)
    : QWidget(parent), kind_(kind), tap_(std::move(tap)) {
    // Device names come from the radio: a name such as "<b>x</b>" must show those characters,
    // controls must not break the row, and a long name is elided rather than widening the
    // window beyond what the user chose.
    name_ = new ElidedLabel(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kHorizontalInset, kVerticalPadding, kHorizontalInset,
                               kVerticalPadding);
    layout->addWidget(name_, 1, Qt::AlignVCenter);

    if (kind_ == Kind::Connected) {
        status_ = new QLabel(this);
        status_->setObjectName(QStringLiteral("status"));
        status_->setTextFormat(Qt::PlainText);
        layout->addWidget(status_, 0, Qt::AlignVCenter);
        // A dot says little to a person at a glance and nothing to a screen reader: the state
        // is also said in words.
        state_ = new QLabel(this);
        state_->setObjectName(QStringLiteral("state"));
        state_->setTextFormat(Qt::PlainText);
        layout->addWidget(state_, 0, Qt::AlignVCenter);
    }

    button_ = new QPushButton(this);
    button_->setObjectName(QStringLiteral("action"));
    button_->setAutoDefault(false);
    if (kind_ == Kind::Discovered)
        button_->setText(labels::text(labels::kConnect));
    layout->addWidget(button_, 0, Qt::AlignVCenter);

    connect(button_, &QPushButton::clicked, this, [this] {
        if (peripheral_)
            tap_(peripheral_);
    });
}

void DeviceRow::present(const PeripheralRef& peripheral, const QString& label,
                        const Standing& standing) {
    peripheral_ = peripheral;
    name_->setName(label);
    const char* action = labels::kConnect;
    if (kind_ == Kind::Connected) {
        const bool linkUp = peripheral->state() == PeripheralState::Connected;
        // The dot says what the words say, so it is described by them too.
        status_->setText(standing.dot);
        status_->setAccessibleDescription(standing.words);
        state_->setText(standing.words);
        state_->setVisible(!standing.words.isEmpty());
        setAccessibleDescription(standing.words);
        if (linkUp)
            action = labels::kDisconnect;
        button_->setText(labels::text(action));
    }
    // A screen reader reads the button on its own, away from the row: it names its device.
    button_->setAccessibleName(labels::text(action) + QLatin1Char(' ') + display::shown(label));
}

} // namespace vontal
