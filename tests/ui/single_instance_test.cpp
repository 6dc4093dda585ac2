// One vontal per session: a second start finds the first, asks it forward and stops.

#include "tests/support/sim/recording_diagnostics.h"
#include "ui/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vontal {
namespace {

class SingleInstanceTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString address = dir.filePath(QStringLiteral("org.example.vontal.instance"));
};

TEST_F(SingleInstanceTest, ALaterStartAsksTheFirstForwardAndDoesNotClaim) {
    SingleInstance first(address);
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(address);
    EXPECT_FALSE(second.claim());
    ASSERT_TRUE(activations.wait(5000));
    EXPECT_EQ(activations.count(), 1);

    SingleInstance third(address);
    EXPECT_FALSE(third.claim());
    ASSERT_TRUE(activations.wait(5000));
    EXPECT_EQ(activations.count(), 2);
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedProcessIsTakenOver) {
    // What a killed process leaves: a bound socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(address);
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof(name.sun_path));
    std::memcpy(name.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&name), sizeof(name)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(address));

    SingleInstance instance(address);
    EXPECT_TRUE(instance.claim());
    QSignalSpy activations(&instance, &SingleInstance::activationRequested);
    SingleInstance later(address);
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(activations.wait(5000));
}

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (saved_.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, saved_);
    }

private:
    const char* name_;
    QByteArray saved_;
};

// True when the owner may do everything and nobody else anything.
bool isPrivate(const QString& path) {
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions group = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
    const QFile::Permissions other = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFile::Permissions mode = QFileInfo(path).permissions();
    return (mode & owner) == owner && !(mode & group) && !(mode & other);
}

TEST_F(SingleInstanceTest, TheAddressIsInAFolderOnlyThisUserCanEnter) {
    const QString cache = dir.filePath("cache");
    ScopedEnv cacheHome("XDG_CACHE_HOME", QFile::encodeName(cache));
    RecordingDiagnostics diagnostics;

    ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(SingleInstance::addressFor("org.example.vontal", &diagnostics),
              dir.filePath("org.example.vontal.instance"));
    EXPECT_NE(SingleInstance::addressFor("org.example.vontal"),
              SingleInstance::addressFor("org.example.vontal.simulate"));
    EXPECT_TRUE(diagnostics.lines().empty());

    // A runtime directory others may enter is passed over, in one line, for vontal's own
    // folder in the cache directory, made private.
    const QString shared = dir.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    QFile::setPermissions(shared, QFile::Permissions(0x7777));
    ScopedEnv sharedRuntime("XDG_RUNTIME_DIR", QFile::encodeName(shared));
    const QString fallback = cache + "/vontal/org.example.vontal.instance";
    EXPECT_EQ(SingleInstance::addressFor("org.example.vontal", &diagnostics), fallback);
    ASSERT_EQ(diagnostics.lines().size(), 1u);
    EXPECT_EQ(diagnostics.lines()[0],
              ("Single instance: XDG_RUNTIME_DIR " + shared +
               " is not a private folder of this user; using " + cache + "/vontal instead")
                  .toStdString());
    EXPECT_TRUE(isPrivate(cache + "/vontal"));

    // Unset: the same folder, without a word; a folder left open is narrowed again.
    QFile::setPermissions(cache + "/vontal", QFile::Permissions(0x7755));
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", QByteArray());
    EXPECT_EQ(SingleInstance::addressFor("org.example.vontal", &diagnostics), fallback);
    EXPECT_EQ(diagnostics.lines().size(), 1u);
    EXPECT_TRUE(isPrivate(cache + "/vontal"));
}

TEST_F(SingleInstanceTest, AFolderOthersCanEnterIsNotListenedIn) {
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));
    RecordingDiagnostics diagnostics;
    SingleInstance first(address, &diagnostics);
    EXPECT_TRUE(first.claim());
    EXPECT_FALSE(QFileInfo::exists(address));
    ASSERT_EQ(diagnostics.lines().size(), 1u);
    EXPECT_EQ(diagnostics.lines()[0], ("Single instance: " + dir.path() +
                                       " is not a private folder of this user; starting as the "
                                       "only instance")
                                          .toStdString());
}

} // namespace
} // namespace vontal
