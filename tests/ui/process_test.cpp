// The real program: a second start while vontal runs hands over to the running one and starts
// no Bluetooth central of its own.

#include "vontal_ids.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSysInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace vontal {
namespace {

// runtimeDir empty: XDG_RUNTIME_DIR unset. cacheDir: XDG_CACHE_HOME, when given.
QProcess* startVontal(QObject* parent, const QString& runtimeDir, const QString& cacheDir = {}) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // A German desktop: the window speaks German, and the log lines the cases wait for are the
    // system's own, in English whatever the language.
    env.insert("LANGUAGE", "de");
    if (runtimeDir.isEmpty())
        env.remove("XDG_RUNTIME_DIR");
    else
        env.insert("XDG_RUNTIME_DIR", runtimeDir);
    if (!cacheDir.isEmpty())
        env.insert("XDG_CACHE_HOME", cacheDir);
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(VONTAL_EXECUTABLE), {QStringLiteral("--simulate")});
    return process;
}

// Reads standard output until the line shows up or the process ends.
bool waitForLine(QProcess& process, const QByteArray& line, QByteArray& seen) {
    while (!seen.contains(line)) {
        if (!process.waitForReadyRead(20000))
            return false;
        seen += process.readAllStandardOutput();
    }
    return true;
}

TEST(VontalProcess, ASecondStartHandsOverToTheRunningInstance) {
    QTemporaryDir runtime;
    QObject owner;
    const QByteArray poweredOn = "Bluetooth powered ON";

    QProcess* first = startVontal(&owner, runtime.path());
    ASSERT_TRUE(first->waitForStarted());
    QByteArray firstOutput;
    ASSERT_TRUE(waitForLine(*first, poweredOn, firstOutput)) << firstOutput.toStdString();

    QProcess* second = startVontal(&owner, runtime.path());
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    // The manager's first line would mean a second central had started.
    EXPECT_FALSE(second->readAllStandardOutput().contains(poweredOn));
    EXPECT_EQ(first->state(), QProcess::Running);

    // Ctrl+C in a terminal ends it through its normal quit, with status 0.
    ::kill(static_cast<pid_t>(first->processId()), SIGINT);
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);

    // A new start takes its place.
    QProcess* third = startVontal(&owner, runtime.path());
    QByteArray thirdOutput;
    EXPECT_TRUE(waitForLine(*third, poweredOn, thirdOutput)) << thirdOutput.toStdString();
    third->kill();
    third->waitForFinished(20000);
}

// Another local user plants sockets and locks where vontal looks, or used to look. Each start
// must still show its window (the simulated manager's first line) and say what it found.
class ForeignInstanceTest : public testing::Test {
protected:
    static constexpr const char* kOtherUser = "vontalother";

    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to act as a second user";
        // Tests run in parallel: one creates the user, the others wait for it (useradd fails
        // while another holds the password files).
        if (!::getpwnam(kOtherUser))
            QProcess::execute("flock", {"/tmp/vontal-test-users.lock", "sh", "-c",
                                        "getent passwd \"$0\" >/dev/null || useradd --system "
                                        "--no-create-home --shell /usr/sbin/nologin \"$0\"",
                                        kOtherUser});
        const passwd* other = ::getpwnam(kOtherUser);
        ASSERT_NE(other, nullptr) << "could not create " << kOtherUser;
        otherUid = other->pw_uid;
        otherGid = other->pw_gid;
        // The other user may pass through the scratch folder, as through /tmp.
        QFile::setPermissions(scratch.path(), QFile::Permissions(0x7755));
        ASSERT_TRUE(QDir().mkdir(runtime) && QDir().mkdir(cache));
        QFile::setPermissions(runtime, QFile::Permissions(0x7700));
    }

    void TearDown() override {
        for (QProcess* process : owner.findChildren<QProcess*>()) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // Runs a program as the other user (setpriv runs it in place, so the process id is its own).
    QProcess* runAsOther(const QString& program, const QStringList& arguments) {
        auto* process = new QProcess(&owner);
        process->start("setpriv", QStringList{"--reuid=" + QString::number(otherUid),
                                              "--regid=" + QString::number(otherGid),
                                              "--clear-groups", program} +
                                      arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    // A socket of the other user, open to all, that prints what each caller sends.
    QProcess* plantSocket(const QString& path) {
        QFile::remove(path);
        QProcess* holder = runAsOther("/usr/bin/python3", {"-c", R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o777)
s.listen(8)
print("listening", flush=True)
while True:
    c, _ = s.accept()
    c.settimeout(2)
    try:
        data = c.recv(64)
    except OSError:
        data = b""
    print("heard", data, flush=True)
    c.close()
)",
                                                           path});
        QByteArray seen;
        EXPECT_TRUE(waitForLine(*holder, "listening", seen)) << seen.toStdString();
        return holder;
    }

    // A file of the other user with the given content.
    void plantFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), otherUid, otherGid), 0);
    }

    // Starts vontal, waits for its window's manager and checks that it said `report`; leaves it
    // running.
    QProcess* expectStartsAlone(const QString& runtimeDir, const QString& report) {
        QProcess* vontal = startVontal(&owner, runtimeDir, cache);
        QByteArray output;
        EXPECT_TRUE(waitForLine(*vontal, "Bluetooth powered ON", output)) << output.toStdString();
        EXPECT_TRUE(output.contains(report.toUtf8()))
            << "expected \"" << report.toStdString() << "\" in:\n"
            << output.toStdString();
        return vontal;
    }

    // A second start while `first` runs hands over and ends without a window of its own.
    void expectHandOver(const QString& runtimeDir, QProcess& first) {
        QProcess* second = startVontal(&owner, runtimeDir, cache);
        ASSERT_TRUE(second->waitForFinished(20000));
        EXPECT_EQ(second->exitCode(), 0);
        EXPECT_FALSE(second->readAllStandardOutput().contains("Bluetooth powered ON"));
        EXPECT_EQ(first.state(), QProcess::Running);
    }

    static QString heard(QProcess& holder) {
        holder.waitForReadyRead(500);
        return QString::fromUtf8(holder.readAllStandardOutput());
    }

    QObject owner;
    QTemporaryDir scratch;
    QString runtime = scratch.filePath("runtime");
    QString cache = scratch.filePath("cache");
    const QString name = QString::fromLatin1(kMainIdentifier) + ".simulate.instance";
    uid_t otherUid = 0;
    gid_t otherGid = 0;
};

TEST_F(ForeignInstanceTest, SocketsOfAnotherUserGetNoStartAndNoWindowIsLost) {
    // Without a runtime directory vontal once used the shared temporary directory.
    const QString oldPlace =
        QDir::temp().filePath(QString::fromLatin1(kMainIdentifier) + ".simulate-" +
                              QString::number(::geteuid()) + ".instance");
    QProcess* inTmp = plantSocket(oldPlace);
    QProcess* alone = expectStartsAlone({}, {});
    EXPECT_TRUE(QFileInfo(cache + "/vontal/" + name).exists());
    alone->kill();
    alone->waitForFinished();
    EXPECT_FALSE(heard(*inTmp).contains("heard"));
    inTmp->kill();
    inTmp->waitForFinished();
    QFile::remove(oldPlace);

    // A runtime directory the other user can write to is not used at all.
    const QString shared = scratch.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), otherUid, otherGid), 0);
    QFile::setPermissions(shared, QFile::Permissions(0x7777));
    QProcess* inShared = plantSocket(shared + "/" + name);
    alone = expectStartsAlone(shared, "Single instance: XDG_RUNTIME_DIR " + shared +
                                          " is not a private folder of this user; using " + cache +
                                          "/vontal instead");
    alone->kill();
    alone->waitForFinished();
    EXPECT_FALSE(heard(*inShared).contains("heard"));

    // In the user's own runtime directory (planted while it stood open), the socket file even
    // handed to this user: the listener is asked who it is and told nothing.
    QFile::setPermissions(runtime, QFile::Permissions(0x7777));
    QProcess* inRuntime = plantSocket(runtime + "/" + name);
    QFile::setPermissions(runtime, QFile::Permissions(0x7700));
    ASSERT_EQ(
        ::chown(QFile::encodeName(runtime + "/" + name).constData(), ::geteuid(), ::getegid()), 0);
    QProcess* first = expectStartsAlone(
        runtime, "Single instance: " + runtime + "/" + name + " is served by another user (uid " +
                     QString::number(otherUid) + "); starting as the only instance");
    const QString told = heard(*inRuntime);
    EXPECT_FALSE(told.contains("activate")) << told.toStdString();
    // The first start took the address over: the next one hands over to it.
    expectHandOver(runtime, *first);
}

TEST_F(ForeignInstanceTest, LocksAndFilesThatAreNotItsOwnDelayNoWindow) {
    const QString socket = runtime + "/" + name;
    const QString lock = socket + ".lock";
    const QByteArray host = QSysInfo::machineHostName().toUtf8();

    // A lock of the other user's, naming a process that is gone.
    plantFile(lock, "999999999\nvontal\n" + host + "\n");
    QProcess* first = expectStartsAlone(runtime, "Single instance: " + lock +
                                                     " is not a lock file of this user; "
                                                     "starting without it");
    first->kill();
    first->waitForFinished();

    // A lock of this user's held by a live process that never lets go.
    QProcess* sleeper = runAsOther("/usr/bin/sleep", {"600"});
    QFile::remove(lock);
    {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(sleeper->processId()) + "\nsleep\n" + host + "\n");
    }
    first = expectStartsAlone(runtime, "Single instance: " + lock +
                                           " is held by another process; starting without it");
    first->kill();
    first->waitForFinished();
    QFile::remove(lock);

    // A regular file of the other user's where the socket goes.
    QFile::remove(socket);
    plantFile(socket, "not a socket");
    first = expectStartsAlone(runtime, "Single instance: " + socket +
                                           " is not a socket of this user; replacing it");
    expectHandOver(runtime, *first);
}

} // namespace
} // namespace vontal
