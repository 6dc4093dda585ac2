// A settings file that holds more than vontal reads (a newer vontal's entries, or entries of
// vontal's own keys in a kind it does not expect) is read for what vontal knows, and everything
// else goes back to the file exactly as it was.

#include "platform/diagnostics.h"
#include "platform/qt/settings/settings_defaults.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vontal {
namespace {

using namespace std::string_literals;

const std::string kDesk = "00000000-0000-0000-0000-C0FFEE000001";

struct LinesSaid final : Diagnostics {
    void line(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

class SettingsUnknownEntries : public ::testing::Test {
protected:
    void write(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray contents() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonObject onDisk() const { return QJsonDocument::fromJson(contents()).object(); }
    std::string corruptCopies() const {
        return QDir(dir.path())
            .entryList({"settings.json.corrupt-*"}, QDir::Files)
            .join(' ')
            .toStdString();
    }
    // The file holds `key` with exactly this value text, as vontal lays out an entry.
    void expectEntry(const char* key, const QByteArray& text) const {
        EXPECT_TRUE(contents().contains("\n    \"" + QByteArray(key) + "\": " + text + ",\n") ||
                    contents().contains("\n    \"" + QByteArray(key) + "\": " + text + "\n}"))
            << key << " is not " << text.toStdString() << " in\n"
            << contents().toStdString();
    }

    QTemporaryDir dir;
    QString path = dir.filePath("settings.json");
};

TEST_F(SettingsUnknownEntries, EntriesOfEveryKindAreKeptExactlyThroughSavesAndRestarts) {
    const std::vector<std::pair<const char*, QByteArray>> unknown{
        {"newer.nothing", "null"},
        {"newer.enabled", "true"},
        {"newer.count", "12"},
        {"newer.zoom", "3.5"},
        {"newer.scale", "3.0"},
        {"newer.epsilon", "1e-7"},
        {"newer.serial", "18446744073709551616"},
        {"newer.label", R"("caf\u00e9")"},
        {"newer.recent", R"([1, "two", [3.0, null], {"four": 4.25}])"},
        {"newer.window", R"({"geometry": {"screen": {"x": 0.5, "names": ["a", "b"]}}})"},
        {"newer.tagged", R"(["double", "x"])"},
    };
    QByteArray file = "{\n    \"" + QByteArray(kDesk.c_str()) + "\": \"sesame\",\n";
    for (const auto& [key, text] : unknown)
        file += "    \"" + QByteArray(key) + "\": " + text + ",\n";
    file += "    \"vontal.deviceNames\": {\"" + QByteArray(kDesk.c_str()) + "\": \"Desk\"}\n}\n";
    write(file);
    const QJsonObject before = onDisk();
    ASSERT_FALSE(before.isEmpty());

    {
        LinesSaid diagnostics;
        SettingsDefaults store(path.toStdString(), &diagnostics);
        // Read for what vontal knows; nothing named, nothing kept aside.
        EXPECT_EQ(store.stringForKey(kDesk), "sesame");
        EXPECT_EQ(store.dictionaryForKey("vontal.deviceNames"),
                  (DefaultsDictionary{{kDesk, "Desk"s}}));
        EXPECT_EQ(diagnostics.lines, std::vector<std::string>{});
        EXPECT_EQ(corruptCopies(), "");
        // What vontal can read of the rest it reads; the rest is not there for it.
        EXPECT_EQ(store.valueForKey("newer.zoom"), DefaultsValue(3.5));
        EXPECT_EQ(store.valueForKey("newer.count"), DefaultsValue(std::int64_t{12}));
        EXPECT_FALSE(store.valueForKey("newer.nothing"));
        EXPECT_FALSE(store.valueForKey("newer.recent"));
        EXPECT_FALSE(store.valueForKey("newer.window"));

        // A device reports a new name: the whole file is written, the rest as it was.
        store.setDictionary({{kDesk, "Kitchen"}}, "vontal.deviceNames");
        for (const auto& [key, text] : unknown)
            expectEntry(key, text);
        EXPECT_EQ(onDisk()["vontal.deviceNames"],
                  (QJsonObject{{QString::fromStdString(kDesk), "Kitchen"}}));
    }

    // Another start, another save: still the same.
    SettingsDefaults again(path.toStdString());
    EXPECT_EQ(again.stringForKey(kDesk), "sesame");
    again.removeObjectForKey(kDesk);
    for (const auto& [key, text] : unknown)
        expectEntry(key, text);
    QJsonObject expected = before;
    expected.remove(QString::fromStdString(kDesk));
    expected["vontal.deviceNames"] = QJsonObject{{QString::fromStdString(kDesk), "Kitchen"}};
    EXPECT_EQ(onDisk(), expected);
    EXPECT_EQ(corruptCopies(), "");
}

TEST_F(SettingsUnknownEntries, VontalsKeysOfAnotherKindAreNamedOnceAndKeptUntilVontalSetsThem) {
    write(R"({
    "A1B2C3D4-0000-4000-8000-00000000ABC0": 1234.5,
    "A1B2C3D4-0000-4000-8000-00000000ABCD": ["sesame"],
    "A1B2C3D4-0000-4000-8000-00000000ABCE": null,
    "A1B2C3D4-0000-4000-8000-00000000ABCF": {"password": "open sesame"},
    "00000000-0000-0000-0000-C0FFEE000001": "sesame",
    "vontal.deviceNames": {"00000000-0000-0000-0000-C0FFEE000001": {"name": "Desk"}}
}
)");
    LinesSaid diagnostics;
    SettingsDefaults store(path.toStdString(), &diagnostics);
    // One line each, naming the key and the kind expected there, and never a password.
    EXPECT_EQ(
        diagnostics.lines,
        (std::vector<std::string>{
            R"(Settings entry "A1B2C3D4-0000-4000-8000-00000000ABC0" is ignored: a password must be text, not a number)",
            R"(Settings entry "A1B2C3D4-0000-4000-8000-00000000ABCD" is ignored: a password must be text, not a list)",
            R"(Settings entry "A1B2C3D4-0000-4000-8000-00000000ABCE" is ignored: a password must be text, not null)",
            R"(Settings entry "A1B2C3D4-0000-4000-8000-00000000ABCF" is ignored: a password must be text, not a dictionary)",
            R"(Settings entry "vontal.deviceNames" is ignored: the name under "00000000-0000-0000-0000-C0FFEE000001" must be text, not a dictionary)",
        }));
    for (const auto& line : diagnostics.lines)
        EXPECT_EQ(line.find("sesame"), std::string::npos) << line;
    EXPECT_EQ(corruptCopies(), "");

    // Ignored: no password, no names; the valid password beside them is read.
    for (const char* key :
         {"A1B2C3D4-0000-4000-8000-00000000ABC0", "A1B2C3D4-0000-4000-8000-00000000ABCD",
          "A1B2C3D4-0000-4000-8000-00000000ABCE", "A1B2C3D4-0000-4000-8000-00000000ABCF"})
        EXPECT_FALSE(store.stringForKey(key)) << key;
    EXPECT_FALSE(store.dictionaryForKey("vontal.deviceNames"));
    EXPECT_EQ(store.stringForKey(kDesk), "sesame");

    // A save of something else keeps them as they are; what vontal sets or removes itself goes.
    store.setObject("typed", "A1B2C3D4-0000-4000-8000-00000000ABCE");
    store.removeObjectForKey("A1B2C3D4-0000-4000-8000-00000000ABCF");
    expectEntry("A1B2C3D4-0000-4000-8000-00000000ABC0", "1234.5");
    expectEntry("A1B2C3D4-0000-4000-8000-00000000ABCD", R"(["sesame"])");
    expectEntry("A1B2C3D4-0000-4000-8000-00000000ABCE", R"("typed")");
    expectEntry("vontal.deviceNames",
                R"({"00000000-0000-0000-0000-C0FFEE000001": {"name": "Desk"}})");
    EXPECT_FALSE(onDisk().contains("A1B2C3D4-0000-4000-8000-00000000ABCF"));
    store.setDictionary({{kDesk, "Desk"}}, "vontal.deviceNames");
    EXPECT_EQ(onDisk()["vontal.deviceNames"],
              (QJsonObject{{QString::fromStdString(kDesk), "Desk"}}));

    // The next start names what is still of another kind, once again.
    LinesSaid again;
    SettingsDefaults reopened(path.toStdString(), &again);
    EXPECT_EQ(again.lines.size(), 2u);
    EXPECT_EQ(reopened.stringForKey("A1B2C3D4-0000-4000-8000-00000000ABCE"), "typed");
}

} // namespace
} // namespace vontal
