#include "display_text.h"

#include "platform/control_characters.h"

#include <QTextBoundaryFinder>

namespace vontal::display {

QString shown(std::string_view text, int limit) {
    QString visible = QString::fromStdString(showControlCharacters(text));
    // Code units bound characters from above: most texts need no count.
    if (visible.size() <= limit)
        return visible;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, visible);
    qsizetype cut = 0; // after the characters kept when the text is too long
    int count = 0;
    for (qsizetype at = characters.toNextBoundary(); at != -1; at = characters.toNextBoundary()) {
        if (++count == limit - 1)
            cut = at;
        if (count > limit) {
            visible.truncate(cut);
            return visible + QChar(0x2026);
        }
    }
    return visible;
}

QString shown(const QString& text, int limit) {
    return shown(std::string_view(text.toStdString()), limit);
}

QString plainToolTip(const QString& plain) {
    if (!Qt::mightBeRichText(plain))
        return plain;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + plain.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace vontal::display
