#include "two_line_label.h"

#include "display_text.h"

#include <QTextLayout>

namespace vontal {

TwoLineLabel::TwoLineLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

void TwoLineLabel::setFullText(const QString& text) {
    full_ = text;
    setAccessibleName(text);
    fit();
}

void TwoLineLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void TwoLineLabel::fit() {
    const int width = contentsRect().width();
    QString shown = full_;
    bool cut = false;
    if (width > 0 && !full_.isEmpty()) {
        // Broken where the label would break it, or inside a word too long for a line.
        QTextLayout layout(full_, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine first = layout.createLine();
        first.setLineWidth(width);
        QTextLine second = layout.createLine();
        if (second.isValid()) {
            second.setLineWidth(width);
            QString top = full_.left(second.textStart());
            while (top.endsWith(QLatin1Char(' ')))
                top.chop(1);
            const QString rest = full_.mid(second.textStart());
            const QString last = fontMetrics().elidedText(rest, Qt::ElideRight, width);
            cut = last != rest;
            // The break is made here, so the label draws exactly these two lines.
            shown = top + QLatin1Char('\n') + last;
        }
        layout.endLayout();
    }
    setToolTip(cut ? display::plainToolTip(display::shown(full_, display::kToolTipLength))
                   : QString());
    if (shown != text())
        setText(shown);
    // A layout short of room may squeeze a label below its height for width (Qt 6.8 does at the
    // window's smallest size), which would clip the second line: the lines shown are its floor.
    setMinimumHeight(
        width > 0 && !shown.isEmpty()
            ? heightForWidth(width + contentsMargins().left() + contentsMargins().right())
            : 0);
}

} // namespace vontal
