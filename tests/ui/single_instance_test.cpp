// One vontal per session: a second start finds the first, asks it forward and stops.

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

TEST_F(SingleInstanceTest, AddressIsPerUserAndPerIdentifier) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(SingleInstance::addressFor("org.example.vontal"),
              dir.filePath("org.example.vontal.instance"));
    EXPECT_NE(SingleInstance::addressFor("org.example.vontal"),
              SingleInstance::addressFor("org.example.vontal.simulate"));

    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = SingleInstance::addressFor("org.example.vontal");
    EXPECT_TRUE(fallback.startsWith(QDir::tempPath()));
    EXPECT_TRUE(fallback.contains(QString::number(::getuid())));

    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace
} // namespace vontal
