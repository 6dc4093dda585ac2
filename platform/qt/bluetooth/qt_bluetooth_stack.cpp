#include "qt_bluetooth_stack.h"

#include "qt_central.h"

#include <QDBusConnection>
#include <QDBusMessage>

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
    return std::make_unique<QtCentral>(delegate, diagnostics_);
}

} // namespace vontal
