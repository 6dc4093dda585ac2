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
QString adapterPath(QDBusConnection& bus, const QBluetoothAddress& address) {
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
        kBluez, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects")));
    const BluezObjects objects = bluezObjectsFrom(reply);
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const auto adapter = object.value().find(kAdapterInterface);
        if (adapter != object.value().end() &&
            QBluetoothAddress(adapter->value(QStringLiteral("Address")).toString()) == address)
            return object.key().path();
    }
    return {};
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
    const QString path =
        availability_->adapter.isNull() ? QString() : adapterPath(bus, availability_->adapter);
    if (path.isEmpty())
        return refuse("bluetoothd has no adapter to switch on");
    QDBusMessage set = QDBusMessage::createMethodCall(
        kBluez, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << kAdapterInterface << QStringLiteral("Powered")
        << QVariant::fromValue(QDBusVariant(true));
    // Powering a controller up takes a moment; the window stays responsive meanwhile.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(set));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [done = std::move(done)](QDBusPendingCallWatcher* call) {
                         const QDBusPendingReply<> reply = *call;
                         call->deleteLater();
                         if (reply.isError())
                             done(reply.error().message().toStdString());
                         else
                             done(std::nullopt);
                     });
}

} // namespace vontal
