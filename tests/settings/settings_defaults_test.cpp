#include "child_process.h"
#include "platform/diagnostics.h"
#include "platform/qt/settings/settings_defaults.h"
#include "sample_entries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vontal {
namespace {

using namespace std::string_literals;
using testing::runProgram;
using testing::sameValue;
using testing::sampleEntries;

unsigned modeOf(const QString& path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, unsigned mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0);
}

class SettingsDefaultsTest : public ::testing::Test {
protected:
    QString corruptCopies() const {
        return QDir(dir.path()).entryList({"settings.json.corrupt-*"}, QDir::Files).join(' ');
    }
    int child(const std::string& mode) {
        return runProgram({SETTINGS_CHILD, mode, path.toStdString()});
    }

    QTemporaryDir dir;
    QString path = dir.filePath("settings.json");
};

TEST_F(SettingsDefaultsTest, EveryKindAndKeySurvivesARestart) {
    {
        SettingsDefaults store(path.toStdString());
        for (const auto& [key, value] : sampleEntries())
            store.setValue(key, value);
    }
    // Another process sees it all, so it is on disk and not only in QSettings' cache.
    EXPECT_EQ(child("check-samples"), 0);
}

TEST_F(SettingsDefaultsTest, ReadsWhatAnotherProcessWrote) {
    ASSERT_EQ(child("write-samples"), 0);
    SettingsDefaults store(path.toStdString());
    for (const auto& [key, value] : sampleEntries()) {
        const auto stored = store.valueForKey(key);
        ASSERT_TRUE(stored) << key;
        EXPECT_TRUE(sameValue(*stored, value)) << key;
    }
    // The dictionary accessors see through to the kinds inside: a number stays a number.
    const auto mixed = store.dictionaryForKey("mixed dictionary");
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->at("number"), DefaultsScalar(std::int64_t{7}));
    EXPECT_FALSE(store.stringForKey("int max"));
    EXPECT_FALSE(store.dictionaryForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"));
    EXPECT_FALSE(store.valueForKey("never written"));
}

TEST_F(SettingsDefaultsTest, EachChangeIsOnDiskWhenTheCallReturns) {
    SettingsDefaults store(path.toStdString());
    store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    store.setDictionary({{"A1B2C3D4-0000-4000-8000-00000000ABCD", "Kitchen"}},
                        "vontal.deviceNames");
    const QJsonObject onDisk = QJsonDocument::fromJson(contentsOf(path)).object();
    EXPECT_EQ(onDisk["A1B2C3D4-0000-4000-8000-00000000ABCD"], "secret");
    EXPECT_EQ(onDisk["vontal.deviceNames"].toObject()["A1B2C3D4-0000-4000-8000-00000000ABCD"],
              "Kitchen");

    store.removeObjectForKey("A1B2C3D4-0000-4000-8000-00000000ABCD");
    const QJsonObject afterRemoval = QJsonDocument::fromJson(contentsOf(path)).object();
    EXPECT_FALSE(afterRemoval.contains("A1B2C3D4-0000-4000-8000-00000000ABCD"));
    EXPECT_TRUE(afterRemoval.contains("vontal.deviceNames"));
}

TEST_F(SettingsDefaultsTest, RemovingOneKeyLeavesTheOthers) {
    SettingsDefaults store(path.toStdString());
    store.setObject("a", "a");
    store.setObject("a/b", "a/b");
    store.setObject("", "empty");
    store.removeObjectForKey("");  // the empty key is a key like any other, not "everything"
    store.removeObjectForKey("a"); // not a group: "a/b" stays
    store.removeObjectForKey("absent");
    EXPECT_FALSE(store.valueForKey("a"));
    EXPECT_EQ(store.stringForKey("a/b"), "a/b");
    EXPECT_EQ(store.stringForKey("empty"), "");
    EXPECT_FALSE(store.valueForKey(""));
}

TEST_F(SettingsDefaultsTest, ReplacingAValueReplacesItsKind) {
    SettingsDefaults store(path.toStdString());
    store.setValue("vontal.deviceNames", std::int64_t{3});
    store.setDictionary({{"K", "v"}}, "vontal.deviceNames");
    EXPECT_FALSE(store.stringForKey("vontal.deviceNames"));
    EXPECT_EQ(store.dictionaryForKey("vontal.deviceNames"),
              (DefaultsDictionary{{"K", DefaultsScalar("v"s)}}));
}

TEST_F(SettingsDefaultsTest, FileAndNewDirectoriesArePrivate) {
    const QString nested = dir.filePath("config/vontal/settings.json");
    {
        SettingsDefaults store(nested.toStdString());
        store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    }
    EXPECT_EQ(modeOf(nested), 0600u);
    EXPECT_EQ(modeOf(dir.filePath("config/vontal")), 0700u);
    EXPECT_EQ(modeOf(dir.filePath("config")), 0700u);
}

TEST_F(SettingsDefaultsTest, AWiderFileIsNarrowedAndStaysNarrow) {
    writeFile(path, R"({"kept": "yes"})", 0644);
    SettingsDefaults store(path.toStdString());
    // Narrowed on opening, before anything is written...
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(store.stringForKey("kept"), "yes");

    // ...and a replacement written by someone else with a wider mode is narrowed by our next
    // write, which replaces the file.
    writeFile(path, R"({"kept": "yes", "other": "process"})", 0664);
    store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    EXPECT_EQ(modeOf(path), 0600u);
    const QJsonObject onDisk = QJsonDocument::fromJson(contentsOf(path)).object();
    EXPECT_EQ(onDisk["other"], "process");
    EXPECT_EQ(onDisk["A1B2C3D4-0000-4000-8000-00000000ABCD"], "secret");
}

TEST_F(SettingsDefaultsTest, AnUnreadableFileIsKeptAsideAndTheStoreStartsEmpty) {
    const QByteArray garbage = "{\"A1B2C3D4-0000-4000-8000-00000000ABCD\": \"secret\", \"cut";
    writeFile(path, garbage, 0644);
    {
        SettingsDefaults store(path.toStdString());
        EXPECT_FALSE(store.valueForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"));
        const QStringList copies = corruptCopies().split(' ', Qt::SkipEmptyParts);
        ASSERT_EQ(copies.size(), 1);
        const QString copy = dir.filePath(copies.front());
        EXPECT_EQ(contentsOf(copy), garbage);
        // vontal never writes the copy: it keeps the mode it had.
        EXPECT_EQ(modeOf(copy), 0644u);

        store.setObject("fresh", "fresh");
        EXPECT_EQ(contentsOf(copy), garbage);
    }
    // The fresh file reads cleanly: no second copy, the new entry is there.
    SettingsDefaults again(path.toStdString());
    EXPECT_EQ(again.stringForKey("fresh"), "fresh");
    EXPECT_EQ(corruptCopies().split(' ', Qt::SkipEmptyParts).size(), 1);
}

TEST_F(SettingsDefaultsTest, AFileOfAnotherShapeIsKeptAsideToo) {
    writeFile(path, R"([{"A1B2C3D4-0000-4000-8000-00000000ABCD": "secret"}])", 0600);
    SettingsDefaults store(path.toStdString());
    EXPECT_FALSE(store.valueForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"));
    EXPECT_FALSE(corruptCopies().isEmpty());
}

TEST_F(SettingsDefaultsTest, AFileSpoiledWhileRunningIsKeptAsideBeforeTheNextWrite) {
    SettingsDefaults store(path.toStdString());
    store.setObject("before", "before");
    writeFile(path, "not json at all, and longer than the file it replaced", 0600);
    store.setObject("after", "after");

    const QStringList copies = corruptCopies().split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(contentsOf(dir.filePath(copies.front())),
              "not json at all, and longer than the file it replaced");
    // What this process held is written back with the change: nothing it knew is lost.
    const QJsonObject onDisk = QJsonDocument::fromJson(contentsOf(path)).object();
    EXPECT_EQ(onDisk["after"], "after");
    EXPECT_EQ(onDisk["before"], "before");
}

TEST_F(SettingsDefaultsTest, AnEmptyFileIsAnEmptyStore) {
    writeFile(path, "", 0600);
    SettingsDefaults store(path.toStdString());
    EXPECT_FALSE(store.valueForKey("anything"));
    EXPECT_TRUE(corruptCopies().isEmpty());
}

unsigned linkModeOf(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(SettingsDefaultsTest, ALinkedFileIsFollowedAndItsTargetReplacedWhole) {
    const QString target = dir.filePath("dotfiles/vontal.json");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("dotfiles")));
    writeFile(target, R"({"kept": "yes"})", 0644);
    ASSERT_TRUE(QFile::link(target, path));
    const ino_t before = inodeOf(target);
    {
        SettingsDefaults store(path.toStdString());
        EXPECT_EQ(store.stringForKey("kept"), "yes");
        store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    }
    EXPECT_EQ(linkModeOf(path), unsigned(S_IFLNK));
    // Replaced by a new file, not rewritten in place, and private like any settings file.
    EXPECT_NE(inodeOf(target), before);
    EXPECT_EQ(modeOf(target), 0600u);
    const QJsonObject onDisk = QJsonDocument::fromJson(contentsOf(target)).object();
    EXPECT_EQ(onDisk["kept"], "yes");
    EXPECT_EQ(onDisk["A1B2C3D4-0000-4000-8000-00000000ABCD"], "secret");
}

TEST_F(SettingsDefaultsTest, FilesVontalDoesNotWriteKeepTheirModeAndContent) {
    // A link to a file that is something else entirely: the link goes aside, the file stays.
    const QString bashrc = dir.filePath("bashrc");
    writeFile(bashrc, "export PATH=$HOME/bin:$PATH\n", 0644);
    ASSERT_TRUE(QFile::link(bashrc, path));
    {
        SettingsDefaults store(path.toStdString());
        EXPECT_FALSE(store.valueForKey("anything"));
        store.setObject("fresh", "fresh");
    }
    EXPECT_EQ(contentsOf(bashrc), "export PATH=$HOME/bin:$PATH\n");
    EXPECT_EQ(modeOf(bashrc), 0644u);
    const QStringList copies = corruptCopies().split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(QFileInfo(dir.filePath(copies.front())).symLinkTarget(), bashrc);
    EXPECT_EQ(linkModeOf(path), unsigned(S_IFREG));
    EXPECT_EQ(modeOf(path), 0600u);

    // A settings file its owner made read-only, behind a link: read, never written nor widened,
    // whoever runs vontal.
    QFile::remove(path);
    const QString frozen = dir.filePath("frozen.json");
    writeFile(frozen, R"({"kept": "yes"})", 0444);
    ASSERT_TRUE(QFile::link(frozen, path));
    {
        SettingsDefaults store(path.toStdString());
        EXPECT_EQ(store.stringForKey("kept"), "yes");
        store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    }
    EXPECT_EQ(contentsOf(frozen), R"({"kept": "yes"})");
    EXPECT_EQ(modeOf(frozen), 0444u);
    EXPECT_EQ(linkModeOf(path), unsigned(S_IFLNK));
}

struct Lines final : Diagnostics {
    void line(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

TEST_F(SettingsDefaultsTest, EntriesReadPastAreNamedOnceAtStart) {
    writeFile(path, R"({
        "A1B2C3D4-0000-4000-8000-00000000ABCD": 1234,
        "a1b2c3d4-0000-4000-8000-00000000abce": "secret",
        "A1B2C3D4-0000-4000-8000-00000000ABCF": "secret",
        "vontal.devicenames": {},
        "vontal.someOtherSetting": true,
        "vontal.deviceNames": {"a1b2c3d4-0000-4000-8000-00000000abcd": "Desk", "Pad": "Pad"}
    })",
              0600);
    Lines diagnostics;
    SettingsDefaults store(path.toStdString(), &diagnostics);
    EXPECT_EQ(
        diagnostics.lines,
        (std::vector<std::string>{
            R"(Settings entry "A1B2C3D4-0000-4000-8000-00000000ABCD" is ignored: a password must be text, not a number)",
            R"(Settings entry "a1b2c3d4-0000-4000-8000-00000000abce" is ignored: device identifiers are written in upper case)",
            R"(Settings entry "vontal.deviceNames / Pad" is ignored: not a device identifier)",
            R"(Settings entry "vontal.devicenames" is ignored: the key is written vontal.deviceNames)",
        }));
    // Only named: what the file holds is read and kept as it is.
    EXPECT_TRUE(store.valueForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"));

    writeFile(path, R"({"vontal.deviceNames": {"A1B2C3D4-0000-4000-8000-00000000ABCD": 7}})", 0600);
    Lines again;
    SettingsDefaults reopened(path.toStdString(), &again);
    EXPECT_EQ(
        again.lines,
        (std::vector<std::string>{
            R"(Settings entry "vontal.deviceNames" is ignored: the name under "A1B2C3D4-0000-4000-8000-00000000ABCD" must be text, not a number)"}));
}

// The warnings the store writes while one is alive.
class Warnings {
public:
    Warnings() : previous_(qInstallMessageHandler(collect)) { lines().clear(); }
    ~Warnings() { qInstallMessageHandler(previous_); }
    Warnings(const Warnings&) = delete;
    Warnings& operator=(const Warnings&) = delete;
    static QStringList& lines() {
        static QStringList seen;
        return seen;
    }
    QStringList take() { return std::exchange(lines(), {}); }

private:
    static void collect(QtMsgType, const QMessageLogContext&, const QString& text) {
        lines() << text;
    }
    QtMessageHandler previous_;
};

// Opening a store that would block (a FIFO read in blocking mode) ends the test binary with a
// word instead of hanging it.
class HangGuard {
public:
    HangGuard() {
        std::signal(SIGALRM, [](int) {
            constexpr char kWhy[] = "\nopening the settings store did not return\n";
            [[maybe_unused]] const auto written = ::write(2, kWhy, sizeof kWhy - 1);
            ::_exit(3);
        });
        ::alarm(30);
    }
    ~HangGuard() {
        ::alarm(0);
        std::signal(SIGALRM, SIG_DFL);
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

TEST_F(SettingsDefaultsTest, OnlyARegularFileOfAtMost16MiBIsReadAnythingElseGoesAside) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    const QByteArray big =
        "{\"A1B2C3D4-0000-4000-8000-00000000ABCD\": \"" + QByteArray(17 * 1024 * 1024, 'x') + "\"}";
    writeFile(dir.filePath("big.json"), big, 0600);
    struct Case {
        const char* what;
        std::function<void()> plant;
        const char* why;
    };
    const std::vector<Case> cases{
        {"a link to a device that never ends", [&] { QFile::link("/dev/zero", path); },
         "is not a regular file"},
        {"a FIFO without a writer", [&] { ::mkfifo(QFile::encodeName(path).constData(), 0600); },
         "is not a regular file"},
        {"a link to a FIFO", [&] { QFile::link(dir.filePath("fifo"), path); },
         "is not a regular file"},
        {"a 17 MiB file", [&] { writeFile(path, big, 0600); }, "is larger than 16 MiB"},
        {"a link to a 17 MiB file", [&] { QFile::link(dir.filePath("big.json"), path); },
         "is larger than 16 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        for (const QString& copy :
             QDir(dir.path()).entryList({"settings.json.corrupt-*"}, QDir::Files | QDir::System))
            QFile::remove(dir.filePath(copy));
        c.plant();
        const unsigned planted = linkModeOf(path);
        ASSERT_NE(planted, 0u);
        Warnings warnings;
        {
            HangGuard guard;
            SettingsDefaults store(path.toStdString());
            EXPECT_FALSE(store.valueForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"));
            store.setObject("fresh", "A1B2C3D4-0000-4000-8000-00000000ABCE");
        }
        // One line, naming the file and why; what was there is kept aside as it was, whatever
        // it is, and a new private file takes its place.
        const QStringList lines = warnings.take();
        ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].contains(path + " " + c.why)) << lines[0].toStdString();
        const QStringList copies =
            QDir(dir.path()).entryList({"settings.json.corrupt-*"}, QDir::Files | QDir::System);
        ASSERT_EQ(copies.size(), 1);
        EXPECT_TRUE(lines[0].contains(copies[0])) << lines[0].toStdString();
        EXPECT_EQ(linkModeOf(dir.filePath(copies[0])), planted);
        EXPECT_EQ(linkModeOf(path), unsigned(S_IFREG));
        EXPECT_EQ(modeOf(path), 0600u);
        EXPECT_EQ(QJsonDocument::fromJson(contentsOf(path)).object(),
                  (QJsonObject{{"A1B2C3D4-0000-4000-8000-00000000ABCE", "fresh"}}));
    }
    EXPECT_EQ(QFileInfo(dir.filePath("big.json")).size(), big.size());
}

TEST_F(SettingsDefaultsTest, AFolderRemovedWhileRunningComesBackWithEverythingInIt) {
    const QString config = dir.filePath("config");
    const QString nested = config + "/vontal/settings.json";
    SettingsDefaults store(nested.toStdString());
    for (const auto& [key, value] : sampleEntries())
        store.setValue(key, value);
    ASSERT_TRUE(QDir(config).removeRecursively());

    // The next change, a name as a device reports it, writes all the rest back too.
    store.setValue("vontal.deviceNames",
                   DefaultsDictionary{{"A1B2C3D4-0000-4000-8000-00000000ABCD", "Kitchen"s},
                                      {"00000000-0000-0000-0000-C0FFEE000001", ""s}});
    EXPECT_EQ(runProgram({SETTINGS_CHILD, "check-samples", nested.toStdString()}), 0);
    EXPECT_EQ(modeOf(config), 0700u);
    EXPECT_EQ(modeOf(config + "/vontal"), 0700u);
    EXPECT_EQ(modeOf(nested), 0600u);

    // The file alone removed: the same, and a removal is kept too.
    ASSERT_TRUE(QFile::remove(nested));
    store.removeObjectForKey("flag");
    SettingsDefaults reopened(nested.toStdString());
    EXPECT_FALSE(reopened.valueForKey("flag"));
    for (const auto& [key, value] : sampleEntries()) {
        if (key == "flag")
            continue;
        const auto stored = reopened.valueForKey(key);
        ASSERT_TRUE(stored) << key;
        EXPECT_TRUE(sameValue(*stored, value)) << key;
    }
}

TEST_F(SettingsDefaultsTest, AChangeThatWouldGrowTheFilePast16MiBIsRefusedOnce) {
    SettingsDefaults store(path.toStdString());
    store.setObject("secret", "A1B2C3D4-0000-4000-8000-00000000ABCD");
    const QByteArray before = contentsOf(path);
    Warnings warnings;
    const std::string huge(SettingsDefaults::kMaxFileBytes, 'x');
    store.setObject(huge, "vontal.someOtherSetting");
    store.setObject(huge, "vontal.yetAnotherSetting");
    EXPECT_EQ(warnings.take().size(), 1);
    EXPECT_EQ(contentsOf(path), before);
    EXPECT_FALSE(store.valueForKey("vontal.someOtherSetting"));

    // Smaller changes go on as before.
    store.setObject("kept", "vontal.someOtherSetting");
    SettingsDefaults reopened(path.toStdString());
    EXPECT_EQ(reopened.stringForKey("vontal.someOtherSetting"), "kept");
    EXPECT_EQ(reopened.stringForKey("A1B2C3D4-0000-4000-8000-00000000ABCD"), "secret");
    EXPECT_TRUE(warnings.take().isEmpty());
}

TEST(SettingsDefaultsPath, LivesInTheUsersConfigDirectory) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(SettingsDefaults::defaultPath(), "/somewhere/config/vontal/vontal.json");
    // Relative values are not honoured.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsDefaults::defaultPath(),
              (QDir::homePath() + "/.config/vontal/vontal.json").toStdString());
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsDefaults::defaultPath(),
              (QDir::homePath() + "/.config/vontal/vontal.json").toStdString());
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
} // namespace vontal
