#include "single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <unistd.h>

namespace vontal {

namespace {

constexpr int kAnswerTimeoutMs = 2000;

} // namespace

SingleInstance::SingleInstance(QString address, QObject* parent)
    : QObject(parent), address_(std::move(address)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::addressFor(const QString& identifier) {
    // Read directly: QStandardPaths would invent a directory, with a warning, when unset.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(identifier + QStringLiteral(".instance"));
    return QDir(QDir::tempPath())
        .filePath(identifier + QStringLiteral("-") + QString::number(::getuid()) +
                  QStringLiteral(".instance"));
}

bool SingleInstance::askRunningInstance() const {
    QLocalSocket socket;
    socket.connectToServer(address_);
    if (!socket.waitForConnected(kAnswerTimeoutMs))
        return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(kAnswerTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim() {
    // Two processes started together must not both find no one and then both listen.
    QLockFile lock(address_ + QStringLiteral(".lock"));
    lock.lock();

    if (askRunningInstance())
        return false;

    // Nobody answered: a socket file left there belongs to a process that died.
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
    server_->listen(address_);
    return true;
}

} // namespace vontal
