#include "bluez_daemon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace vontal {

namespace {

constexpr int kVersionTimeoutMs = 3000;

std::optional<QVersionNumber> versionOf(const QString& program) {
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, {QStringLiteral("--version")});
    if (!process.waitForFinished(kVersionTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    const QVersionNumber version = QVersionNumber::fromString(
        QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed());
    if (version.isNull())
        return std::nullopt;
    return version;
}

QString commandOf(qint64 pid) {
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return {};
    const QByteArray arguments = cmdline.readAll();
    return QString::fromLocal8Bit(arguments.left(arguments.indexOf('\0')));
}

} // namespace

bool bluezRunning() {
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(kBluezService).value();
}

std::optional<QVersionNumber> bluezVersion() {
    const QVersionNumber forced =
        QVersionNumber::fromString(qEnvironmentVariable("BLUETOOTH_FORCE_DBUS_LE_VERSION"));
    if (!forced.isNull())
        return forced;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return std::nullopt;
    const uint pid = bus.interface()->servicePid(kBluezService).value();
    if (pid == 0)
        return std::nullopt;
    // The same two places Qt looks: the executable, then the command it was started as.
    if (auto version =
            versionOf(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget()))
        return version;
    return versionOf(commandOf(pid));
}

std::optional<BluezProblem> bluezProblem() {
    if (!QDBusConnection::systemBus().isConnected())
        return BluezProblem{BluetoothProblem::NoSystemBus,
                            "Bluetooth is unavailable: the D-Bus system bus cannot be reached, so "
                            "BlueZ (bluetoothd) cannot be used"};
    if (!bluezRunning())
        return BluezProblem{BluetoothProblem::BluezMissing,
                            "Bluetooth is unavailable: bluetoothd (BlueZ) is not running; vontal "
                            "will use it as soon as it starts"};
    const auto version = bluezVersion();
    if (!version)
        return BluezProblem{BluetoothProblem::None,
                            "Bluetooth LE may not work: the version of bluetoothd cannot be told, "
                            "and Qt Bluetooth needs BlueZ " +
                                kOldestUsableBluez.toString().toStdString() + " or newer"};
    if (*version < kOldestUsableBluez)
        return BluezProblem{BluetoothProblem::BluezTooOld,
                            "Bluetooth LE is unavailable: bluetoothd " +
                                version->toString().toStdString() + " is older than " +
                                kOldestUsableBluez.toString().toStdString() +
                                ", the oldest BlueZ that Qt Bluetooth can use for Bluetooth LE"};
    return std::nullopt;
}

} // namespace vontal
