// The real program: a second start while vontal runs hands over to the running one and starts
// no Bluetooth central of its own.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace vontal {
namespace {

QProcess* startVontal(QObject* parent, const QString& runtimeDir) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtimeDir);
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

} // namespace
} // namespace vontal
