#include "settings_lint.h"

#include "json_members.h"
#include "settings_keys.h"

namespace vontal {

namespace {

// The store's layout: the device-name dictionary, and one password per device under its
// identifier in the 36-character upper-case form.
const QString kDeviceNamesKey = QStringLiteral("vontal.deviceNames");

enum class IdentifierForm { None, UpperCase, OtherCase };

IdentifierForm identifierForm(const QString& key) {
    if (key.size() != 36)
        return IdentifierForm::None;
    bool upper = true;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QChar c = key[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return IdentifierForm::None;
        } else if (c >= u'a' && c <= u'f') {
            upper = false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) {
            return IdentifierForm::None;
        }
    }
    return upper ? IdentifierForm::UpperCase : IdentifierForm::OtherCase;
}

QString ignored(const QString& entry, const QString& why) {
    return QStringLiteral("Settings entry \"%1\" is ignored: %2").arg(entry, why);
}

// The JSON kind of a value's text, as a person reading the file sees it.
QString kindOf(const QByteArray& json) {
    switch (json.isEmpty() ? '\0' : json.front()) {
    case '"':
        return QStringLiteral("text");
    case '{':
        return QStringLiteral("a dictionary");
    case '[':
        return QStringLiteral("a list");
    case 't':
    case 'f':
        return QStringLiteral("a truth value");
    case 'n':
        return QStringLiteral("null");
    default:
        return QStringLiteral("a number");
    }
}

void checkDeviceNames(const QByteArray& json, QStringList& lines) {
    const auto names = json.startsWith('{') ? jsonObjectMembers(json) : std::nullopt;
    if (!names) {
        lines << ignored(kDeviceNamesKey,
                         QStringLiteral("the device names must be a dictionary, not ") +
                             kindOf(json));
        return;
    }
    for (const JsonMember& name : *names) {
        if (!name.value.isString()) {
            // The names are taken whole or not at all.
            lines << ignored(kDeviceNamesKey,
                             QStringLiteral("the name under \"%1\" must be text, not %2")
                                 .arg(name.key, kindOf(name.text)));
            return;
        }
    }
    // Identifiers in the dictionary are read in either case.
    for (const JsonMember& name : *names) {
        if (identifierForm(name.key) == IdentifierForm::None)
            lines << ignored(kDeviceNamesKey + QStringLiteral(" / ") + name.key,
                             QStringLiteral("not a device identifier"));
    }
}

} // namespace

QStringList ignoredEntries(const SettingsEntries& entries) {
    QStringList lines;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const QString key = unescapeSettingsKey(it.key());
        const QByteArray& json = it.value().json;
        if (key == kDeviceNamesKey) {
            checkDeviceNames(json, lines);
            continue;
        }
        switch (identifierForm(key)) {
        case IdentifierForm::None:
            // Other keys may belong to other parts of vontal; only a near miss is named.
            if (key.compare(kDeviceNamesKey, Qt::CaseInsensitive) == 0)
                lines << ignored(key, QStringLiteral("the key is written ") + kDeviceNamesKey);
            break;
        case IdentifierForm::OtherCase:
            lines << ignored(key, QStringLiteral("device identifiers are written in upper case"));
            break;
        case IdentifierForm::UpperCase:
            if (!json.startsWith('"'))
                lines << ignored(key,
                                 QStringLiteral("a password must be text, not ") + kindOf(json));
            break;
        }
    }
    return lines;
}

} // namespace vontal
