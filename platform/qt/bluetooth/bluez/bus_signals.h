#pragma once

// Hands the D-Bus signals it listens to over to a function: QtDBus delivers signals to slots only.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <functional>

namespace vontal {

class BusSignals final : public QObject {
    Q_OBJECT

public:
    explicit BusSignals(std::function<void(const QDBusMessage&)> heard)
        : heard_(std::move(heard)) {}

    // The signal `name` of `interface` from `service` at `path`, or at every path if empty.
    void listen(QDBusConnection bus, const QString& service, const QString& path,
                const QString& interface, const QString& name) {
        bus.connect(service, path, interface, name, this, SLOT(heard(QDBusMessage)));
    }

private Q_SLOTS:
    void heard(const QDBusMessage& message) { heard_(message); }

private:
    std::function<void(const QDBusMessage&)> heard_;
};

} // namespace vontal
