#include "elided_label.h"

#include "display_text.h"

#include <QPainter>
#include <QStyle>

namespace vontal {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ElidedLabel::setName(const QString& name) {
    const QString visible = display::shown(name);
    setText(visible);
    setToolTip(display::plainToolTip(visible));
}

QString ElidedLabel::displayedText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          displayedText(), foregroundRole());
}

} // namespace vontal
