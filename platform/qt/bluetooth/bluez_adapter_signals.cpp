#include "bluez_adapter_signals.h"

#include <QDBusConnection>
#include <QDBusObjectPath>

namespace vontal {

namespace {

const QString kService = QStringLiteral("org.bluez");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");

} // namespace

BluezAdapterSignals::BluezAdapterSignals(
    std::function<void(bool removed, const QString& path)> changed)
    : changed_(std::move(changed)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    // Matched by the bus name, so the signals of a bluetoothd that starts later arrive too.
    for (const QString& member :
         {QStringLiteral("InterfacesAdded"), QStringLiteral("InterfacesRemoved")})
        bus.connect(kService, QStringLiteral("/"), kObjectManager, member, this,
                    SLOT(interfacesChanged(QDBusMessage)));
}

BluezAdapterSignals::~BluezAdapterSignals() = default;

bool BluezAdapterSignals::isAdapterPath(const QString& path) {
    static const QString prefix = QStringLiteral("/org/bluez/");
    return path.startsWith(prefix) && path.indexOf(QLatin1Char('/'), prefix.size()) < 0 &&
           path.size() > prefix.size();
}

void BluezAdapterSignals::interfacesChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.isEmpty())
        return;
    const auto path = arguments.first().value<QDBusObjectPath>().path();
    if (isAdapterPath(path))
        changed_(message.member() == QStringLiteral("InterfacesRemoved"), path);
}

} // namespace vontal
