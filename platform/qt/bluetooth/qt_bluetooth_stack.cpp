#include "qt_bluetooth_stack.h"

#include "bluez_object_tree.h"
#include "qt_central.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>

namespace vontal {

QtBluetoothStack::QtBluetoothStack(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

QtBluetoothStack::~QtBluetoothStack() {
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

std::unique_ptr<Central> QtBluetoothStack::makeCentral(CentralDelegate& delegate) {
    return std::make_unique<QtCentral>(delegate, diagnostics_, availability_);
}

namespace {

const QString kBluez = QStringLiteral("org.bluez");
const QString kAdapterInterface = QStringLiteral("org.bluez.Adapter1");

// bluetoothd's object for the adapter with this address; empty when it has none.
QString adapterPath(const BluezObjects& objects, const QBluetoothAddress& address) {
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const auto adapter = object.value().find(kAdapterInterface);
        if (adapter != object.value().end() &&
            QBluetoothAddress(adapter->value(QStringLiteral("Address")).toString()) == address)
            return object.key().path();
    }
    return {};
}

using Done = std::function<void(std::optional<std::string>)>;

void answerWith(QDBusPendingCall call, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(std::move(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [done = std::move(done)](QDBusPendingCallWatcher* answer) {
                         const QDBusPendingReply<> reply = *answer;
                         answer->deleteLater();
                         if (reply.isError())
                             done(reply.error().message().toStdString());
                         else
                             done(std::nullopt);
                     });
}

void setPowered(QDBusConnection bus, const QString& path, Done done) {
    QDBusMessage set = QDBusMessage::createMethodCall(
        kBluez, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << kAdapterInterface << QStringLiteral("Powered")
        << QVariant::fromValue(QDBusVariant(true));
    // Powering a controller up takes a moment; the window stays responsive meanwhile.
    answerWith(bus.asyncCall(set), std::move(done));
}

} // namespace

void QtBluetoothStack::switchAdapterOn(std::function<void(std::optional<std::string>)> done) {
    const auto refuse = [&done](std::string why) {
        // Answers come later, never inside the request.
        QTimer::singleShot(0, [done = std::move(done), why = std::move(why)] { done(why); });
    };
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return refuse("the D-Bus system bus cannot be reached");
    if (availability_->adapter.isNull())
        return refuse("bluetoothd has no adapter to switch on");
    // The object is looked up without waiting: bluetoothd may be slow to answer, the window not.
    auto* lookup = new QDBusPendingCallWatcher(bus.asyncCall(QDBusMessage::createMethodCall(
        kBluez, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"))));
    QObject::connect(lookup, &QDBusPendingCallWatcher::finished,
                     [bus, address = availability_->adapter,
                      done = std::move(done)](QDBusPendingCallWatcher* answer) mutable {
                         answer->deleteLater();
                         const QDBusMessage reply = answer->reply();
                         if (reply.type() == QDBusMessage::ErrorMessage)
                             return done(reply.errorMessage().toStdString());
                         const QString path = adapterPath(bluezObjectsFrom(reply), address);
                         if (path.isEmpty())
                             return done("bluetoothd has no adapter to switch on");
                         setPowered(bus, path, std::move(done));
                     });
}

} // namespace vontal
