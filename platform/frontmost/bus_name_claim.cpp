#include "platform/frontmost/bus_name_claim.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QVariantMap>

namespace vontal {

namespace {

QDBusMessage busDriverCall(const char* method, const QString& argument) {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
    message << argument;
    return message;
}

// Calls `done` with the reply once the bus answered; never blocks.
template <typename Done>
void whenAnswered(QDBusConnection& bus, const QDBusMessage& message, QObject* context, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done = std::move(done)] {
                         watcher->deleteLater();
                         done(QDBusMessage(watcher->reply()));
                     });
}

} // namespace

BusNameClaim::BusNameClaim(QDBusConnection bus, QString name, Diagnostics& diagnostics)
    : bus_(std::move(bus)), name_(std::move(name)), diagnostics_(diagnostics) {}

BusNameClaim::~BusNameClaim() {
    release();
}

void BusNameClaim::release() {
    // Leaves the queue as well: a later vontal must not find itself behind a dead claim.
    if (claimed_ && bus_.isConnected())
        bus_.interface()->unregisterService(name_);
    claimed_ = false;
    owned_ = false;
}

bool BusNameClaim::claim(std::string& whyNot) {
    // Watching first, so that no change after the request is missed.
    auto* watcher =
        new QDBusServiceWatcher(name_, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                ownerChanged(newOwner);
            });
    // Nobody may take the name from vontal: the reports are meant for vontal only.
    const auto reply =
        bus_.interface()->registerService(name_, QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        whyNot = "the bus did not let vontal ask for " + name_.toStdString() + " (" +
                 reply.error().message().toStdString() + ")";
        return false;
    }
    claimed_ = true;
    switch (reply.value()) {
    case QDBusConnectionInterface::ServiceRegistered:
        owned_ = true;
        break;
    case QDBusConnectionInterface::ServiceQueued:
        whenAnswered(bus_, busDriverCall("GetNameOwner", name_), this,
                     [this](const QDBusMessage& answer) {
                         // A change seen meanwhile is newer than this answer.
                         if (owned_ || holder_ || answer.type() != QDBusMessage::ReplyMessage ||
                             answer.arguments().isEmpty())
                             return;
                         ownerChanged(answer.arguments().first().toString());
                     });
        break;
    case QDBusConnectionInterface::ServiceNotRegistered:
        whyNot = "the bus refused vontal the name " + name_.toStdString();
        return false;
    }
    return true;
}

void BusNameClaim::ownerChanged(const QString& newOwner) {
    if (!claimed_)
        return;
    if (!newOwner.isEmpty() && newOwner == bus_.baseService()) {
        if (owned_)
            return;
        owned_ = true;
        const bool waited = holder_.has_value();
        holder_.reset();
        if (waited)
            diagnostics_.line("vontal holds the bus name " + name_.toStdString() +
                              " now: the desktop's reports of the application in front reach it");
        Q_EMIT changed();
        Q_EMIT acquired();
        return;
    }
    if (holder_ && holder_->uniqueName == newOwner)
        return;
    owned_ = false;
    if (newOwner.isEmpty()) {
        // Free for an instant; the bus hands it to the next in the queue (us) right away.
        if (holder_) {
            holder_.reset();
            Q_EMIT changed();
        }
        return;
    }
    holder_ = Holder{newOwner, 0, {}};
    Q_EMIT changed();
    describe(newOwner);
}

void BusNameClaim::describe(const QString& owner) {
    whenAnswered(
        bus_, busDriverCall("GetConnectionCredentials", owner), this,
        [this, owner](const QDBusMessage& answer) {
            if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()) {
                const auto credentials = qdbus_cast<QVariantMap>(answer.arguments().first());
                if (const auto pid = credentials.value(QStringLiteral("ProcessID"));
                    pid.isValid()) {
                    described(owner, pid.toUInt());
                    return;
                }
            }
            // Buses older than GetConnectionCredentials still know the process.
            whenAnswered(bus_, busDriverCall("GetConnectionUnixProcessID", owner), this,
                         [this, owner](const QDBusMessage& pidAnswer) {
                             const bool known = pidAnswer.type() == QDBusMessage::ReplyMessage &&
                                                !pidAnswer.arguments().isEmpty();
                             described(owner, known ? pidAnswer.arguments().first().toUInt() : 0);
                         });
        });
}

void BusNameClaim::described(const QString& owner, quint32 pid) {
    if (!holder_ || holder_->uniqueName != owner)
        return;
    holder_->pid = pid;
    if (pid != 0)
        holder_->executable = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    const std::string who =
        pid == 0 ? "a process the bus does not describe (" + owner.toStdString() + ")"
                 : "process " + std::to_string(pid) + " (" +
                       (holder_->executable.isEmpty() ? std::string("executable unknown")
                                                      : holder_->executable.toStdString()) +
                       ")";
    diagnostics_.line("The bus name " + name_.toStdString() + " is held by " + who +
                      ", not by vontal: application names are not sent until it lets go of the "
                      "name, and vontal takes it then");
    Q_EMIT changed();
}

} // namespace vontal
