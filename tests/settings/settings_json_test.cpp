#include "platform/qt/settings/settings_json.h"
#include "platform/qt/settings/settings_keys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vontal {
namespace {

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
    QSettings::SettingsMap map;
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

    const auto back = parseSettingsJson(serializeSettingsJson(map));
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
    QSettings::SettingsMap map;
    map.insert(escapeSettingsKey("vontal.deviceNames"),
               QVariantMap{{"A1B2C3D4-0000-4000-8000-00000000ABCD", QString("Kitchen")}});
    map.insert(escapeSettingsKey("a/b%"), QString("x"));
    const QJsonObject object = QJsonDocument::fromJson(serializeSettingsJson(map)).object();
    EXPECT_EQ(object.keys(), QStringList({"a/b%", "vontal.deviceNames"}));
    EXPECT_EQ(object["vontal.deviceNames"].toObject()["A1B2C3D4-0000-4000-8000-00000000ABCD"],
              "Kitchen");
}

TEST(SettingsJson, AcceptsAHandWrittenFile) {
    const auto map = parseSettingsJson(R"({"n": 2.5, "i": 3, "d": {}, "e": ["bytes", ""]})");
    ASSERT_TRUE(map);
    EXPECT_EQ((*map)["n"].typeId(), QMetaType::Double);
    EXPECT_EQ((*map)["i"].typeId(), QMetaType::LongLong);
    EXPECT_EQ((*map)["d"].typeId(), QMetaType::QVariantMap);
    EXPECT_EQ((*map)["e"], QVariant(QByteArray()));
    EXPECT_TRUE(parseSettingsJson("{}"));
}

TEST(SettingsJson, RejectsWhatItCannotHoldWhole) {
    for (const char* text : {
             "",                                // not JSON
             "{\"a\": \"unterminated}",         // cut short
             "{\"a\": 1,}",                     // trailing comma
             "[\"a\", 1]",                      // not an object
             "\"text\"",                        // not an object
             "{\"a\": null}",                   // no such kind
             "{\"a\": [1, 2]}",                 // a list
             "{\"a\": [\"double\", \"x\"]}",    // not a number
             "{\"a\": [\"bytes\", \"%%%\"]}",   // not base64
             "{\"a\": [\"colour\", \"red\"]}",  // unknown kind
             "{\"a\": {\"b\": {\"c\": \"d\"}}}" // a dictionary inside a dictionary
         }) {
        EXPECT_FALSE(parseSettingsJson(text)) << text;
    }
}

} // namespace
} // namespace vontal
