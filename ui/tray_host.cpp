#include "tray_icon.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace vontal {

TrayHost::TrayHost(QDBusConnection bus, std::optional<std::chrono::milliseconds> fallback,
                   std::function<void()> ready, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), ready_(std::move(ready)),
      watcher_(QString::fromLatin1(kWatcherName), bus_, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                owner_ = newOwner;
                if (!owner_.isEmpty())
                    ask();
            });
    fallback_.setSingleShot(true);
    connect(&fallback_, &QTimer::timeout, this, [this] {
        // A watcher that is there and has not answered yet would hold the icon's making up.
        if (owner_.isEmpty()) {
            hostRegistered_ = false;
            ready_();
        }
    });
    // Answered by the bus itself, not by the watcher.
    if (bus_.isConnected()) {
        const auto owner = bus_.interface()->serviceOwner(QString::fromLatin1(kWatcherName));
        if (owner.isValid())
            owner_ = owner.value();
    }
    if (!owner_.isEmpty()) {
        ask();
    } else if (fallback) {
        // Later, never inside the constructor of whoever waits.
        fallback_.start(*fallback);
    }
}

void TrayHost::ask() {
    // What Qt asks itself before it registers an icon: the answer means Qt's question is
    // answered at once too.
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherName), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << QString::fromLatin1(kWatcherName)
            << QStringLiteral("IsStatusNotifierHostRegistered");
    const std::uint64_t question = ++questions_;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, question](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (question != questions_)
                    return;
                // No answer, or the watcher went meanwhile: the next one is asked when it comes.
                switch (answer->error().type()) {
                case QDBusError::NoReply:
                case QDBusError::Timeout:
                case QDBusError::ServiceUnknown:
                case QDBusError::TimedOut:
                case QDBusError::Disconnected:
                    return;
                default:
                    break;
                }
                fallback_.stop();
                hostRegistered_ =
                    !answer->isError() &&
                    answer->reply().arguments().value(0).value<QDBusVariant>().variant().toBool();
                ready_();
            });
}

} // namespace vontal
