#include "settings_json.h"

#include "json_members.h"
#include "settings_keys.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QtDebug>
#include <charconv>
#include <cstdio>
#include <iterator>

namespace vontal {

namespace {

const QString kDoubleTag = QStringLiteral("double");
const QString kBytesTag = QStringLiteral("bytes");

std::optional<QVariant> scalarFromJson(const QJsonValue& json) {
    switch (json.type()) {
    case QJsonValue::String:
        return QVariant(json.toString());
    case QJsonValue::Bool:
        return QVariant(json.toBool());
    case QJsonValue::Double: {
        // Whole numbers that fit come back as qlonglong; a hand-written 2.5 reads as a real.
        const QVariant number = json.toVariant();
        if (number.typeId() == QMetaType::LongLong || number.typeId() == QMetaType::Double)
            return number;
        return std::nullopt;
    }
    case QJsonValue::Array: {
        const QJsonArray tagged = json.toArray();
        if (tagged.size() != 2 || !tagged[1].isString())
            return std::nullopt;
        const QString tag = tagged[0].toString();
        const QString text = tagged[1].toString();
        if (tag == kDoubleTag) {
            const QByteArray digits = text.toLatin1();
            double value = 0;
            const auto [end, error] =
                std::from_chars(digits.constBegin(), digits.constEnd(), value);
            if (error != std::errc() || end != digits.constEnd())
                return std::nullopt;
            return QVariant(value);
        }
        if (tag == kBytesTag) {
            const auto decoded = QByteArray::fromBase64Encoding(
                text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            return decoded ? std::optional<QVariant>(*decoded) : std::nullopt;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> valueFromJson(const QJsonValue& json) {
    if (!json.isObject())
        return scalarFromJson(json);
    const QJsonObject object = json.toObject();
    QVariantMap dictionary;
    for (auto it = object.begin(); it != object.end(); ++it) {
        auto scalar = scalarFromJson(it.value());
        if (!scalar)
            return std::nullopt;
        dictionary.insert(it.key(), *scalar);
    }
    return QVariant(dictionary);
}

QJsonValue scalarToJson(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        // Shortest text that reads back to the same bits, "-0", "inf" and "nan" included.
        char digits[32];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), value.toDouble()).ptr;
        return QJsonArray{kDoubleTag, QString::fromLatin1(digits, end - digits)};
    }
    case QMetaType::QByteArray:
        return QJsonArray{kBytesTag, QString::fromLatin1(value.toByteArray().toBase64())};
    default:
        // The store only ever hands over the kinds above.
        return QJsonValue::Null;
    }
}

QJsonValue valueToJson(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantMap)
        return scalarToJson(value);
    const QVariantMap dictionary = value.toMap();
    QJsonObject object;
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it)
        object.insert(it.key(), scalarToJson(it.value()));
    return object;
}

} // namespace

std::optional<QString> keepSettingsFileAside(const QString& name, const QString& why,
                                             const QString& instead) {
    const QString stem = name + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss.zzz'Z'");
    QString backup = stem;
    for (int n = 1; QFileInfo(backup).exists() || QFileInfo(backup).isSymLink(); ++n)
        backup = stem + u'-' + QString::number(n);
    // rename(2) moves a symbolic link itself, never its target. The copy keeps its mode: vontal
    // never writes it, and it may be a file the user made for something else.
    if (std::rename(QFile::encodeName(name).constData(), QFile::encodeName(backup).constData()) !=
        0) {
        qWarning("vontal: settings file %s %s and could not be moved aside", qUtf8Printable(name),
                 qUtf8Printable(why));
        return std::nullopt;
    }
    qWarning("vontal: settings file %s %s; kept it as %s and %s", qUtf8Printable(name),
             qUtf8Printable(why), qUtf8Printable(backup), qUtf8Printable(instead));
    return backup;
}

SettingsEntry settingsEntry(const QVariant& value) {
    return {memberText(valueToJson(value)), value};
}

std::optional<SettingsEntries> parseSettingsJson(const QByteArray& bytes) {
    const auto members = jsonObjectMembers(bytes);
    if (!members)
        return std::nullopt;
    SettingsEntries entries;
    for (const JsonMember& member : *members)
        entries.insert(escapeSettingsKey(member.key),
                       {member.text, valueFromJson(member.value).value_or(QVariant())});
    return entries;
}

QByteArray serializeSettingsJson(const SettingsEntries& entries) {
    // The layout of Qt's indented documents, which is what vontal has always written: one entry
    // a line, in the order of their keys.
    QMap<QString, const QByteArray*> byKey;
    for (auto it = entries.begin(); it != entries.end(); ++it)
        byKey.insert(unescapeSettingsKey(it.key()), &it.value().json);
    QByteArray text = "{\n";
    for (auto it = byKey.begin(); it != byKey.end(); ++it) {
        if (it != byKey.begin())
            text += ",\n";
        text += "    " + memberText(it.key()) + ": " + *it.value();
    }
    if (!byKey.isEmpty())
        text += '\n';
    return text + "}\n";
}

} // namespace vontal
