#pragma once

#include <QString>

namespace vontal {

// QSettings treats '/' as a group separator and collapses, trims or rejects keys around it (an
// empty key is refused outright). Keys handed to QSettings are therefore escaped so that any text,
// "a//b/" and "" included, names exactly one entry; the file itself holds the keys unescaped.
QString escapeSettingsKey(const QString& key);
QString unescapeSettingsKey(const QString& escaped);

} // namespace vontal
