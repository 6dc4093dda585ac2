#include "platform/gnome/shell_extension.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStandardPaths>

namespace vontal {

namespace {

constexpr const char* kShellPath = "/org/gnome/Shell";
constexpr const char* kExtensionsInterface = "org.gnome.Shell.Extensions";

// The Shell's ExtensionState numbers (js/misc/extensionUtils.js); 45 added the two transitions.
enum ShellState {
    kEnabled = 1,
    kDisabled = 2,
    kError = 3,
    kOutOfDate = 4,
    kDownloading = 5,
    kInitialized = 6,
    kDisabling = 7,
    kEnabling = 8,
};

std::weak_ptr<ShellExtension>& currentSlot() {
    static std::weak_ptr<ShellExtension> slot;
    return slot;
}

bool installedInDataDirs(const QString& uuid) {
    return !QStandardPaths::locate(
                QStandardPaths::GenericDataLocation,
                QStringLiteral("gnome-shell/extensions/%1/metadata.json").arg(uuid))
                .isEmpty();
}

QVariant shellProperty(const QDBusConnection& bus, const QString& interface, const QString& name) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(ShellExtension::kShellName), QString::fromLatin1(kShellPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << interface << name;
    const QDBusReply<QDBusVariant> reply = bus.call(message);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

} // namespace

ShellExtension::State extensionState(const QVariantMap& info, bool installed) {
    if (info.isEmpty())
        return installed ? ShellExtension::State::NextLogin : ShellExtension::State::NotInstalled;
    switch (info.value(QStringLiteral("state")).toInt()) {
    case kEnabled:
    case kEnabling:
        return ShellExtension::State::On;
    case kDisabled:
    case kInitialized:
    case kDisabling:
        return ShellExtension::State::Off;
    case kError:
    case kOutOfDate:
        return ShellExtension::State::Failed;
    case kDownloading:
    default:
        return ShellExtension::State::Unknown;
    }
}

std::string extensionStateLine(ShellExtension::State state, const QString& uuid,
                               const QString& error) {
    const std::string name = "vontal's GNOME Shell extension (" + uuid.toStdString() + ")";
    switch (state) {
    case ShellExtension::State::On:
        return name + " is on: application names are sent";
    case ShellExtension::State::Off:
        return "Application names are not sent until " + name +
               " is switched on (vontal's window has the switch)";
    case ShellExtension::State::NextLogin:
        return "Application names are not sent until the next login: " + name +
               " was installed after GNOME Shell started";
    case ShellExtension::State::NotInstalled:
        return "Application names are not sent: " + name + " is not installed";
    case ShellExtension::State::Failed:
        return "Application names are not sent: GNOME Shell cannot run " + name + " (" +
               (error.isEmpty() ? std::string("it does not support this version")
                                : error.toStdString()) +
               ")";
    case ShellExtension::State::Unknown:
        break;
    }
    return {};
}

ShellExtension::ShellExtension(QDBusConnection bus, Diagnostics& diagnostics)
    : bus_(std::move(bus)), diagnostics_(diagnostics) {
    bus_.connect(QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
                 QString::fromLatin1(kExtensionsInterface), QStringLiteral("ExtensionStateChanged"),
                 this, SLOT(stateChanged(QString, QVariantMap)));
}

ShellExtension::~ShellExtension() = default;

QString ShellExtension::uuidFor(const QString& shellVersion) {
    bool numeric = false;
    const int major = shellVersion.section(QLatin1Char('.'), 0, 0).toInt(&numeric);
    return numeric && major < 45 ? QString::fromLatin1(kClassicUuid)
                                 : QString::fromLatin1(kModulesUuid);
}

void ShellExtension::refresh() {
    const QVariant version = shellProperty(bus_, QString::fromLatin1(kExtensionsInterface),
                                           QStringLiteral("ShellVersion"));
    if (!version.isValid()) {
        apply(State::Unknown, {});
        return;
    }
    uuid_ = uuidFor(version.toString());
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
        QString::fromLatin1(kExtensionsInterface), QStringLiteral("GetExtensionInfo"));
    message << uuid_;
    const QDBusReply<QVariantMap> reply = bus_.call(message);
    if (!reply.isValid()) {
        apply(State::Unknown, {});
        return;
    }
    apply(extensionState(reply.value(), installedInDataDirs(uuid_)),
          reply.value().value(QStringLiteral("error")).toString());
}

void ShellExtension::stateChanged(const QString& uuid, const QVariantMap& info) {
    if (uuid != uuid_)
        return;
    apply(extensionState(info, installedInDataDirs(uuid_)),
          info.value(QStringLiteral("error")).toString());
}

void ShellExtension::apply(State state, const QString& error) {
    if (state == state_ && error == error_)
        return;
    state_ = state;
    error_ = error;
    if (const auto line = extensionStateLine(state_, uuid_, error_); !line.empty())
        diagnostics_.line(line);
    Q_EMIT changed();
}

bool ShellExtension::switchOn(std::string& whyNot) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
        QString::fromLatin1(kExtensionsInterface), QStringLiteral("EnableExtension"));
    message << uuid_;
    const QDBusReply<bool> reply = bus_.call(message);
    if (!reply.isValid()) {
        whyNot = reply.error().message().toStdString();
        return false;
    }
    if (!reply.value()) {
        whyNot = "GNOME Shell refused to switch it on";
        return false;
    }
    return true;
}

std::shared_ptr<ShellExtension> ShellExtension::current() {
    return currentSlot().lock();
}

void ShellExtension::setCurrent(std::weak_ptr<ShellExtension> extension) {
    currentSlot() = std::move(extension);
}

} // namespace vontal
