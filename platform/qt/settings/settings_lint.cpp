#include "settings_lint.h"

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

void checkDeviceNames(const QVariant& value, QStringList& lines) {
    if (value.typeId() != QMetaType::QVariantMap) {
        lines << ignored(kDeviceNamesKey, QStringLiteral("the device names must be a dictionary"));
        return;
    }
    const QVariantMap names = value.toMap();
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (it.value().typeId() != QMetaType::QString) {
            // The names are taken whole or not at all.
            lines << ignored(kDeviceNamesKey,
                             QStringLiteral("the name under \"%1\" is not text").arg(it.key()));
            return;
        }
    }
    // Identifiers in the dictionary are read in either case.
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (identifierForm(it.key()) == IdentifierForm::None)
            lines << ignored(kDeviceNamesKey + QStringLiteral(" / ") + it.key(),
                             QStringLiteral("not a device identifier"));
    }
}

} // namespace

QStringList ignoredEntries(const QSettings::SettingsMap& entries) {
    QStringList lines;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const QString key = unescapeSettingsKey(it.key());
        const QVariant& value = it.value();
        if (key == kDeviceNamesKey) {
            checkDeviceNames(value, lines);
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
            if (value.typeId() != QMetaType::QString)
                lines << ignored(key, QStringLiteral("a password must be text"));
            break;
        }
    }
    return lines;
}

} // namespace vontal
