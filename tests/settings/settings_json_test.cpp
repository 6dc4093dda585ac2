#include "platform/qt/settings/settings_json.h"
#include "platform/qt/settings/settings_keys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vontal {
namespace {

// Entries as vontal sets them, and what it reads back from entries.
SettingsEntries entriesOf(const QVariantMap& values) {
    SettingsEntries entries;
    for (auto it = values.begin(); it != values.end(); ++it)
        entries.insert(it.key(), settingsEntry(it.value()));
    return entries;
}
std::optional<QVariantMap> valuesOf(const std::optional<SettingsEntries>& entries) {
    if (!entries)
        return std::nullopt;
    QVariantMap values;
    for (auto it = entries->begin(); it != entries->end(); ++it)
        values.insert(it.key(), it.value().value);
    return values;
}

TEST(SettingsKeys, EveryKeyEscapesToOneSlashFreeKeyAndBack) {
    const QStringList keys{"",
                           "%",
                           "%%",
                           "%2F",
                           "%25",
                           "/",
                           "//",
                           "a/b",
                           "a//b/",
                           "/x",
                           "x/",
                           "\u00e9/\u2014",
                           "vontal.deviceNames"};
    QSet<QString> escapedKeys;
    for (const QString& key : keys) {
        const QString escaped = escapeSettingsKey(key);
        EXPECT_FALSE(escaped.isEmpty()) << qPrintable(key);
        EXPECT_FALSE(escaped.contains(u'/')) << qPrintable(key);
        EXPECT_EQ(unescapeSettingsKey(escaped), key);
        escapedKeys.insert(escaped);
    }
    EXPECT_EQ(escapedKeys.size(), keys.size()) << "two keys escaped to the same text";
    EXPECT_EQ(escapeSettingsKey("A1B2C3D4-0000-4000-8000-00000000ABCD"),
              "A1B2C3D4-0000-4000-8000-00000000ABCD");
}

TEST(SettingsJson, ValuesKeepTheirKindThroughTheFile) {
    QVariantMap map;
    map.insert("text", QString("Kitchen"));
    map.insert("whole real", 5.0);
    map.insert("negative zero", -0.0);
    map.insert("third", 1.0 / 3.0);
    map.insert("not a number", std::numeric_limits<double>::quiet_NaN());
    map.insert("minus infinity", -std::numeric_limits<double>::infinity());
    map.insert("integer", qlonglong(std::numeric_limits<qint64>::min()));
    map.insert("flag", true);
    map.insert("bytes", QByteArray("\0\xff", 2));
    map.insert("dictionary", QVariantMap{{"n", qlonglong(1)}, {"t", QString("one")}});
    map.insert(escapeSettingsKey("a//b"), QString("slashes"));

    const auto back = valuesOf(parseSettingsJson(serializeSettingsJson(entriesOf(map))));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), map.size());
    const auto& m = *back;
    EXPECT_EQ(m["text"], QVariant(QString("Kitchen")));
    EXPECT_EQ(m["whole real"].typeId(), QMetaType::Double);
    EXPECT_EQ(m["whole real"].toDouble(), 5.0);
    EXPECT_TRUE(std::signbit(m["negative zero"].toDouble()));
    EXPECT_EQ(m["third"].toDouble(), 1.0 / 3.0);
    EXPECT_TRUE(std::isnan(m["not a number"].toDouble()));
    EXPECT_EQ(m["minus infinity"].toDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(m["integer"].typeId(), QMetaType::LongLong);
    EXPECT_EQ(m["integer"].toLongLong(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(m["flag"].typeId(), QMetaType::Bool);
    EXPECT_EQ(m["bytes"], QVariant(QByteArray("\0\xff", 2)));
    const QVariantMap dictionary = m["dictionary"].toMap();
    EXPECT_EQ(dictionary["n"].typeId(), QMetaType::LongLong);
    EXPECT_EQ(dictionary["t"], QVariant(QString("one")));
    EXPECT_EQ(m[escapeSettingsKey("a//b")], QVariant(QString("slashes")));
}

TEST(SettingsJson, TheFileIsPlainJsonWithTheRealKeys) {
    QVariantMap map;
    map.insert(escapeSettingsKey("vontal.deviceNames"),
               QVariantMap{{"A1B2C3D4-0000-4000-8000-00000000ABCD", QString("Kitchen")}});
    map.insert(escapeSettingsKey("a/b%"), QString("x"));
    const QJsonObject object =
        QJsonDocument::fromJson(serializeSettingsJson(entriesOf(map))).object();
    EXPECT_EQ(object.keys(), QStringList({"a/b%", "vontal.deviceNames"}));
    EXPECT_EQ(object["vontal.deviceNames"].toObject()["A1B2C3D4-0000-4000-8000-00000000ABCD"],
              "Kitchen");
}

TEST(SettingsJson, AcceptsAHandWrittenFile) {
    const auto map =
        valuesOf(parseSettingsJson(R"({"n": 2.5, "i": 3, "d": {}, "e": ["bytes", ""]})"));
    ASSERT_TRUE(map);
    EXPECT_EQ((*map)["n"].typeId(), QMetaType::Double);
    EXPECT_EQ((*map)["i"].typeId(), QMetaType::LongLong);
    EXPECT_EQ((*map)["d"].typeId(), QMetaType::QVariantMap);
    EXPECT_EQ((*map)["e"], QVariant(QByteArray()));
    EXPECT_TRUE(parseSettingsJson("{}"));
}

TEST(SettingsJson, RejectsWhatIsNotOneJsonObject) {
    for (const char* text : {
             "",                        // not JSON
             "{\"a\": \"unterminated}", // cut short
             "{\"a\": 1,}",             // trailing comma
             "[\"a\", 1]",              // not an object
             "\"text\"",                // not an object
             "{\"a\": 1} {}",           // two documents
             "{\"a\" 1}",               // no colon
             "{\"a\": 1 2}",            // two values
             "{\"a\": [1, 2}",          // a list not closed
         }) {
        EXPECT_FALSE(parseSettingsJson(text)) << text;
    }
}

// Entries of every JSON kind, some of them nothing vontal reads, each written back as the very
// text it was read from, however the document around it is laid out or what its strings hold.
TEST(SettingsJson, EveryEntryGoesBackAsTheTextItWasReadFrom) {
    const std::vector<std::pair<QString, QByteArray>> members{
        {"null", "null"},
        {"yes", "true"},
        {"no", "false"},
        {"whole", "12"},
        {"decimal", "3.5"},
        {"whole decimal", "3.0"},
        {"small", "1e-7"},
        {"negative zero", "-0.0"},
        {"past 2^64", "18446744073709551616"},
        {"exponent", "1E+2"},
        {"escapes", R"("caf\u00e9 \"q\" \\ \/ }{,][")"},
        {"list", R"([1, "two", [3.0, null], {"four": 4.00}])"},
        {"empty list", "[ ]"},
        {"deep", "{\n  \"a\": {\"b\": {\"c\": [1.50, {\"d\": null}]}}\n}"},
        {"empty dictionary", "{}"},
        {"tag of nothing", R"(["double", "x"])"},
        {"unknown tag", R"(["colour", "red"])"},
        {"not base64", R"(["bytes", "%%%"])"},
        {"we{ird\",key]", R"("}")"},
    };
    QByteArray document = " {\r\n";
    for (const auto& [key, text] : members) {
        document += "\t" + QJsonDocument(QJsonArray{key}).toJson(QJsonDocument::Compact).mid(1);
        document.chop(1);
        document += " :" + text + (&key == &members.back().first ? "\n" : " ,\n");
    }
    document += "}\n";

    const auto entries = parseSettingsJson(document);
    ASSERT_TRUE(entries) << document.toStdString();
    ASSERT_EQ(entries->size(), qsizetype(members.size()));
    const QByteArray written = serializeSettingsJson(*entries);
    const auto again = parseSettingsJson(written);
    ASSERT_TRUE(again) << written.toStdString();
    for (const auto& [key, text] : members) {
        ASSERT_TRUE(again->contains(escapeSettingsKey(key))) << qPrintable(key);
        EXPECT_EQ((*again)[escapeSettingsKey(key)].json, text) << qPrintable(key);
    }
    // The same document to any JSON reader.
    EXPECT_EQ(QJsonDocument::fromJson(written), QJsonDocument::fromJson(document));

    // What vontal reads of them: its own kinds, and nothing of the others.
    EXPECT_EQ((*entries)["decimal"].value, QVariant(3.5));
    EXPECT_EQ((*entries)["whole"].value.typeId(), QMetaType::LongLong);
    EXPECT_EQ((*entries)["escapes"].value, QVariant(QString("caf\u00e9 \"q\" \\ / }{,][")));
    for (const char* unread :
         {"null", "list", "empty list", "deep", "tag of nothing", "unknown tag", "not base64"})
        EXPECT_FALSE((*entries)[unread].value.isValid()) << unread;
}

// A file only vontal wrote is laid out as Qt lays out an indented document, as it always was.
TEST(SettingsJson, WhatVontalWritesIsLaidOutAsBefore) {
    const QVariantMap values{
        {"vontal.deviceNames", QVariantMap{{"A1B2C3D4-0000-4000-8000-00000000ABCD", "Kitchen"},
                                           {"00000000-0000-0000-0000-C0FFEE000001", ""}}},
        {"A1B2C3D4-0000-4000-8000-00000000ABCD", "sesame"},
        {"real", 0.5},
        {"count", qlonglong(7)},
        {"flag", false},
        {"bytes", QByteArray("\x01\x02", 2)},
        {"nothing", QVariantMap{}},
    };
    const QJsonObject expected{
        {"vontal.deviceNames", QJsonObject{{"A1B2C3D4-0000-4000-8000-00000000ABCD", "Kitchen"},
                                           {"00000000-0000-0000-0000-C0FFEE000001", ""}}},
        {"A1B2C3D4-0000-4000-8000-00000000ABCD", "sesame"},
        {"real", QJsonArray{"double", "0.5"}},
        {"count", 7},
        {"flag", false},
        {"bytes", QJsonArray{"bytes", "AQI="}},
        {"nothing", QJsonObject{}},
    };
    EXPECT_EQ(serializeSettingsJson(entriesOf(values)),
              QJsonDocument(expected).toJson(QJsonDocument::Indented));
    EXPECT_EQ(serializeSettingsJson({}), QJsonDocument(QJsonObject{}).toJson());
}

} // namespace
} // namespace vontal
