#include "settings_keys.h"

namespace vontal {

namespace {
// A lone '%' cannot come out of escaping a non-empty key, so it stands for the empty key.
const QString kEmptyKey = QStringLiteral("%");
} // namespace

QString escapeSettingsKey(const QString& key) {
    if (key.isEmpty())
        return kEmptyKey;
    QString escaped;
    escaped.reserve(key.size());
    for (const QChar c : key) {
        if (c == u'%')
            escaped += QStringLiteral("%25");
        else if (c == u'/')
            escaped += QStringLiteral("%2F");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeSettingsKey(const QString& escaped) {
    if (escaped == kEmptyKey)
        return {};
    QString key;
    key.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QStringView rest = QStringView(escaped).mid(i);
        if (rest.startsWith(u"%25")) {
            key += u'%';
            i += 2;
        } else if (rest.startsWith(u"%2F")) {
            key += u'/';
            i += 2;
        } else {
            key += escaped[i];
        }
    }
    return key;
}

} // namespace vontal
