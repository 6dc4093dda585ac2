#include "bluez_client.h"

#include "bluez_daemon.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace vontal {

namespace {

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// GetManagedObjects answers at once from memory; far longer means bluetoothd is stuck.
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kRetryMs = 5000;

QDBusMessage getManagedObjects() {
    return QDBusMessage::createMethodCall(kBluezService, QStringLiteral("/"), kObjectManager,
                                          QStringLiteral("GetManagedObjects"));
}

bool isTimeout(const QDBusMessage& reply) {
    return reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply") ||
           reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.Timeout");
}

// Runs `answered` with the call's reply once it comes, unless `context` (if any) is gone by then.
template <typename Answered>
void onReply(const QDBusPendingCall& call, QObject* context, Answered answered) {
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, answered = std::move(answered)]() mutable {
                         watcher->deleteLater();
                         answered(*watcher);
                     });
}

} // namespace

BluezClient::BluezClient(Listener listener)
    : listener_(std::move(listener)),
      signals_([this](const QDBusMessage& message) { heard(message); }) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, &calls_, [this] { read(); });
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        watcher_ = std::make_unique<QDBusServiceWatcher>(kBluezService, bus,
                                                         QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, &calls_,
                         [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                             ownerChanged(oldOwner, newOwner);
                         });
        // Matched by the bus name, so the signals of a bluetoothd that starts later arrive too.
        for (const QString& member :
             {QStringLiteral("InterfacesAdded"), QStringLiteral("InterfacesRemoved")})
            signals_.listen(bus, kBluezService, QStringLiteral("/"), kObjectManager, member);
        signals_.listen(bus, kBluezService, QString(), kProperties,
                        QStringLiteral("PropertiesChanged"));
    }
    running_ = bluezRunning();
    reported_ = seen();
    read();
}

BluezClient::~BluezClient() = default;

std::optional<BluezAdapter> BluezClient::adapter() const {
    return adapterAt(objects_, adapterPath_);
}

BluezClient::Characteristics BluezClient::characteristics(const QBluetoothAddress& device,
                                                          const QBluetoothAddress& adapter,
                                                          const BluetoothUuid& service) const {
    Characteristics found{characteristicPaths(objects_, device, adapter, service), std::nullopt};
    // One link, one MTU: any characteristic of the device tells it.
    for (const auto& [uuid, path] : found.paths) {
        if ((found.mtu = characteristicMtu(objects_, path)))
            break;
    }
    return found;
}

void BluezClient::ownerChanged(const QString& oldOwner, const QString& newOwner) {
    if (!oldOwner.isEmpty()) {
        // Everything bluetoothd knew is gone with it, the adapter included.
        running_ = false;
        forget();
        settle();
    }
    if (!newOwner.isEmpty()) {
        // A new bluetoothd: what the old one answered, or failed to, says nothing about it.
        forget();
        running_ = true;
        listener_.started();
        read();
        settle();
    }
}

void BluezClient::read() {
    // The read in flight is recent enough: bluetoothd serves one question at a time.
    if (reading_ || !running_ || !busConnected())
        return;
    retry_.stop();
    reading_ = true;
    onReply(QDBusConnection::systemBus().asyncCall(getManagedObjects(), kAnswerTimeoutMs), &calls_,
            [this, generation = generation_](const QDBusPendingCallWatcher& done) {
                if (generation != generation_)
                    return;
                reading_ = false;
                answered(done.reply());
            });
}

void BluezClient::answered(const QDBusMessage& reply) {
    if (isTimeout(reply)) {
        retry_.start();
        silent_ = true;
        settle();
        return;
    }
    // Any other error is an answer too: bluetoothd is there and gives no adapter. What the
    // object manager said while the read was under way is in the answer already.
    silent_ = false;
    answered_ = true;
    objects_ = bluezObjectsFrom(reply);
    settle();
}

void BluezClient::forget() {
    ++generation_;
    reading_ = false;
    answered_ = false;
    silent_ = false;
    objects_.clear();
    retry_.stop();
}

BluezClient::Seen BluezClient::seen() const {
    return Seen{running_, answered_, silent_, adapter()};
}

void BluezClient::settle() {
    if (!adapter()) {
        const auto first = firstAdapter(objects_);
        adapterPath_ = first ? first->path : QString();
    }
    const Seen now = seen();
    if (now == reported_)
        return;
    reported_ = now;
    listener_.changed();
}

void BluezClient::heard(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    const QString member = message.member();
    const bool removed = member == QStringLiteral("InterfacesRemoved") && arguments.size() == 2;
    if (removed) {
        if (const auto device = removedDevice(arguments[0].value<QDBusObjectPath>().path(),
                                              arguments[1].toStringList()))
            listener_.deviceRemoved(*device);
    }
    // Before the first answer there is no tree to change; the answer tells what was said before.
    if (!answered_)
        return;
    if (removed) {
        removeInterfaces(objects_, arguments[0].value<QDBusObjectPath>().path(),
                         arguments[1].toStringList());
    } else if (member == QStringLiteral("InterfacesAdded") && arguments.size() == 2) {
        addInterfaces(objects_, arguments[0].value<QDBusObjectPath>().path(),
                      qdbus_cast<QMap<QString, QVariantMap>>(arguments[1]));
    } else if (member == QStringLiteral("PropertiesChanged") && arguments.size() == 3) {
        changeProperties(objects_, message.path(), arguments[0].toString(),
                         qdbus_cast<QVariantMap>(arguments[1]), arguments[2].toStringList());
    }
    settle();
}

void BluezClient::switchAdapterOn(const QBluetoothAddress& adapter,
                                  std::function<void(std::optional<std::string>)> done) {
    const auto refuse = [&done](std::string why) {
        // Answers come later, never inside the request.
        QTimer::singleShot(0, [done = std::move(done), why = std::move(why)] { done(why); });
    };
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return refuse("the D-Bus system bus cannot be reached");
    if (adapter.isNull())
        return refuse("bluetoothd has no adapter to switch on");
    // Switched on only once bluetoothd has just answered: a powered adapter sets Qt scanning and
    // connecting, with blocking calls that would freeze the program on a bluetoothd that does
    // not answer. The object is taken from that answer, looked up without waiting.
    onReply(bus.asyncCall(getManagedObjects()), nullptr,
            [adapter, done = std::move(done)](const QDBusPendingCallWatcher& answer) mutable {
                const QDBusMessage reply = answer.reply();
                if (reply.type() == QDBusMessage::ErrorMessage)
                    return done(reply.errorMessage().toStdString());
                const QString path = adapterPath(bluezObjectsFrom(reply), adapter);
                if (path.isEmpty())
                    return done("bluetoothd has no adapter to switch on");
                QDBusMessage set = QDBusMessage::createMethodCall(kBluezService, path, kProperties,
                                                                  QStringLiteral("Set"));
                set << kAdapterInterface << QStringLiteral("Powered")
                    << QVariant::fromValue(QDBusVariant(true));
                // Powering a controller up takes a moment; the window stays responsive meanwhile.
                onReply(QDBusConnection::systemBus().asyncCall(set), nullptr,
                        [done = std::move(done)](const QDBusPendingCallWatcher& powered) {
                            if (powered.isError())
                                return done(powered.error().message().toStdString());
                            done(std::nullopt);
                        });
            });
}

void BluezClient::writeCommand(
    QObject* context, const QString& path, const QByteArray& value,
    std::function<void(const std::optional<QString>& failure)> answered) {
    QDBusMessage write = QDBusMessage::createMethodCall(
        kBluezService, path, kCharacteristicInterface, QStringLiteral("WriteValue"));
    write << value << QVariantMap{{QStringLiteral("type"), QStringLiteral("command")}};
    // The answer says whether bluetoothd could queue the write; it paces the next one, and a
    // refusal is worth telling. bluetoothd answers a command as soon as it has queued it; an
    // answer lost on the way must not hold the device's next name for the bus's default 25 s.
    onReply(QDBusConnection::systemBus().asyncCall(write, kAnswerTimeoutMs), context,
            [answered = std::move(answered)](const QDBusPendingCallWatcher& done) {
                if (!done.isError())
                    return answered(std::nullopt);
                const QDBusError error = done.error();
                answered(error.message().isEmpty() ? error.name() : error.message());
            });
}

void BluezClient::waitUntilSent() {
    // Qt sends D-Bus calls from a thread of its own, in the order they were made; the answer to
    // one more call, to the bus itself, comes only after the earlier ones have gone out.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    constexpr int kTimeoutMs = 2000;
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
             QDBus::Block, kTimeoutMs);
}

} // namespace vontal
