#include "single_instance.h"

#include "platform/diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vontal {

namespace {

constexpr int kAnswerTimeoutMs = 2000;
// Two vontals started together hold the lock for a moment only; a lock held longer belongs to
// something that is not starting vontal, and waiting on it would keep the window from showing.
constexpr int kLockWaitMs = 3000;

const QString kPrefix = QStringLiteral("Single instance: ");

bool statPath(const QString& path, struct stat& info, bool follow) {
    const QByteArray name = QFile::encodeName(path);
    return (follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) == 0;
}

// A directory of this user that nobody else can enter.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return statPath(path, info, true) && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

enum class Entry { Missing, Ours, Foreign };

// What is at `path`: nothing, an entry of the expected type that this user owns, or anything
// else (another user's entry, a symbolic link, a regular file where a socket should be, ...).
Entry inspect(const QString& path, mode_t type) {
    struct stat info {};
    if (!statPath(path, info, false))
        return errno == ENOENT ? Entry::Missing : Entry::Foreign;
    return (info.st_mode & S_IFMT) == type && info.st_uid == ::geteuid() ? Entry::Ours
                                                                         : Entry::Foreign;
}

// vontal's own folder in the user's cache directory ($XDG_CACHE_HOME, else ~/.cache), created
// with mode 0700, or narrowed to it when this user owns it already.
QString privateCacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = QDir(base).filePath(QStringLiteral("vontal"));
    QDir().mkpath(base);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    struct stat info {};
    if (statPath(folder, info, false) && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

} // namespace

SingleInstance::SingleInstance(QString address, Diagnostics* diagnostics, QObject* parent)
    : QObject(parent), address_(std::move(address)), diagnostics_(diagnostics) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::addressFor(const QString& identifier, Diagnostics* diagnostics) {
    const QString name = identifier + QStringLiteral(".instance");
    // Read directly: QStandardPaths would invent a directory, with a warning, when unset.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QDir(runtime).filePath(name);
    const QString folder = privateCacheFolder();
    if (!runtime.isEmpty() && diagnostics) {
        diagnostics->line((kPrefix + QStringLiteral("XDG_RUNTIME_DIR %1 is not a private folder of "
                                                    "this user; using %2 instead")
                                         .arg(runtime, folder))
                              .toStdString());
    }
    return QDir(folder).filePath(name);
}

void SingleInstance::report(const QString& line) const {
    if (diagnostics_)
        diagnostics_->line((kPrefix + line).toStdString());
    else
        qWarning("%s", qUtf8Printable(kPrefix + line));
}

SingleInstance::Answer SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(address_);
    if (!socket.waitForConnected(kAnswerTimeoutMs))
        return Answer::Nobody;
    // Only a process of this user may take over this start.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) !=
            0 ||
        peer.uid != ::geteuid()) {
        socket.abort();
        report(QStringLiteral("%1 is served by another user (uid %2); starting as the only "
                              "instance")
                   .arg(address_)
                   .arg(peer.uid));
        return Answer::Foreign;
    }
    socket.write("activate\n");
    socket.waitForBytesWritten(kAnswerTimeoutMs);
    socket.disconnectFromServer();
    return Answer::Handed;
}

bool SingleInstance::claim() {
    const QString folder = QFileInfo(address_).path();
    if (!isPrivateFolder(folder)) {
        report(QStringLiteral("%1 is not a private folder of this user; starting as the only "
                              "instance")
                   .arg(folder));
        return true;
    }

    // Two processes started together must not both find no one and then both listen.
    const QString lockPath = address_ + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (inspect(lockPath, S_IFREG) == Entry::Foreign) {
        report(QStringLiteral("%1 is not a lock file of this user; starting without it")
                   .arg(lockPath));
        QFile::remove(lockPath);
    } else if (!lock.tryLock(kLockWaitMs)) {
        report(QStringLiteral("%1 is held by another process; starting without it").arg(lockPath));
    }

    switch (inspect(address_, S_IFSOCK)) {
    case Entry::Missing:
        break;
    case Entry::Foreign:
        report(QStringLiteral("%1 is not a socket of this user; replacing it").arg(address_));
        break;
    case Entry::Ours:
        if (askRunningInstance() == Answer::Handed)
            return false;
        break;
    }

    // Nobody of this user answered: what is left there belongs to a process that died, or to
    // someone else, and this private folder is ours.
    QLocalServer::removeServer(address_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            emit activationRequested();
        }
    });
    // Should listening fail, this process still runs: one vontal is better than none.
    if (!server_->listen(address_))
        report(QStringLiteral("cannot listen on %1: %2").arg(address_, server_->errorString()));
    return true;
}

} // namespace vontal
