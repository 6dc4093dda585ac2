#include "status_line.h"

#include "two_line_label.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vontal {

namespace {

QString buttonLabel(StatusReport::Action action) {
    switch (action) {
    case StatusReport::Action::SwitchAdapterOn:
        return QCoreApplication::translate("StatusLine", "Switch On");
    case StatusReport::Action::SwitchExtensionOn:
        return QCoreApplication::translate("ExtensionNotice", "Switch On");
    case StatusReport::Action::None:
        break;
    }
    return {};
}

} // namespace

StatusLine::StatusLine(StatusReport& report, QWidget* parent) : QWidget(parent), report_(report) {
    setObjectName(QStringLiteral("statusLine"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    rows_.resize(static_cast<std::size_t>(StatusReport::Topic::Passwords) + 1);
    for (Row& row : rows_) {
        row.box = new QWidget(this);
        row.text = new TwoLineLabel(row.box);
        row.button = new QPushButton(row.box);
        auto* rowLayout = new QHBoxLayout(row.box);
        rowLayout->setContentsMargins(6, 4, 6, 4);
        rowLayout->addWidget(row.text, 1);
        rowLayout->addWidget(row.button);
        layout->addWidget(row.box);
        connect(row.button, &QPushButton::clicked, this, [this, &row] { clicked(row); });
    }
    changes_ = report_.changed().subscribe([this] { update(); });
    update();
}

void StatusLine::clicked(Row& row) {
    report_.perform(row.shown.action);
    // Held from the click on while the request waits for its answer.
    for (const StatusReport::Line& line : report_.lines())
        if (line.topic == row.shown.topic)
            row.button->setEnabled(!line.actionPending);
}

void StatusLine::update() {
    const std::vector<StatusReport::Line> lines = report_.lines();
    shownRows_ = std::min(lines.size(), rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        row.shown = i < shownRows_ ? lines[i] : StatusReport::Line{};
        row.text->setFullText(row.shown.text);
        row.button->setVisible(row.shown.action != StatusReport::Action::None);
        row.button->setText(buttonLabel(row.shown.action));
        row.button->setEnabled(!row.shown.actionPending);
        row.box->setVisible(i < shownRows_);
    }
    setVisible(shownRows_ > 0);
}

const StatusLine::Row* StatusLine::shownRow(StatusReport::Topic topic) const {
    for (std::size_t i = 0; i < shownRows_; ++i)
        if (rows_[i].shown.topic == topic)
            return &rows_[i];
    return nullptr;
}

TwoLineLabel* StatusLine::line(StatusReport::Topic topic) const {
    const Row* shown = shownRow(topic);
    return shown ? shown->text : nullptr;
}

QPushButton* StatusLine::button(StatusReport::Topic topic) const {
    const Row* shown = shownRow(topic);
    return shown && shown->shown.action != StatusReport::Action::None ? shown->button : nullptr;
}

QStringList StatusLine::shownTexts() const {
    QStringList texts;
    for (std::size_t i = 0; i < shownRows_; ++i)
        texts << rows_[i].text->fullText();
    return texts;
}

} // namespace vontal
