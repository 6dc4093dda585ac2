#include "platform/gnome/shell_extension.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The installed metadata.json of this uuid, as the Shell finds it; empty if none.
QString installedMetadata(const QString& uuid) {
    return QStandardPaths::locate(
        QStandardPaths::GenericDataLocation,
        QStringLiteral("gnome-shell/extensions/%1/metadata.json").arg(uuid));
}

QStringList declaredShellVersions(const QString& metadataPath) {
    QFile file(metadataPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList versions;
    const auto declared = QJsonDocument::fromJson(file.read(64 * 1024))
                              .object()
                              .value(QStringLiteral("shell-version"))
                              .toArray();
    for (const auto& version : declared)
        versions << version.toString();
    return versions;
}

} // namespace

bool declaresShellVersion(const QStringList& declared, const QString& shellVersion) {
    // From GNOME 40 on a major version is the whole release series; before, "3.38" was.
    const QStringList parts = shellVersion.split(QLatin1Char('.'));
    const QString series =
        parts.value(0).toInt() >= 40 ? parts.value(0) : parts.mid(0, 2).join(QLatin1Char('.'));
    return declared.contains(series);
}

ShellExtension::State extensionState(const QVariantMap& info, bool installed, bool supportsShell) {
    if (info.isEmpty()) {
        if (!installed)
            return ShellExtension::State::NotInstalled;
        // The Shell would refuse it at the next login as well.
        return supportsShell ? ShellExtension::State::NextLogin : ShellExtension::State::OutOfDate;
    }
    switch (info.value(QStringLiteral("state")).toInt()) {
    case kEnabled:
    case kEnabling:
        return ShellExtension::State::On;
    case kDisabled:
    case kInitialized:
    case kDisabling:
        return supportsShell ? ShellExtension::State::Off : ShellExtension::State::OutOfDate;
    case kOutOfDate:
        return ShellExtension::State::OutOfDate;
    case kError:
        return ShellExtension::State::Failed;
    case kDownloading:
    default:
        return ShellExtension::State::Unknown;
    }
}

std::string extensionStateLine(ShellExtension::State state, const QString& uuid,
                               const QString& error, const QString& shellVersion) {
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
    case ShellExtension::State::OutOfDate:
        return "Application names are not sent: " + name + " does not support GNOME Shell " +
               (shellVersion.isEmpty()
                    ? std::string("this version")
                    : shellVersion.section(QLatin1Char('.'), 0, 0).toStdString()) +
               " yet";
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
    // Asked without waiting: a Shell that is busy at login, or hangs, must not hold up vontal's
    // window or its devices. The state stays as it was until the Shell answers.
    const std::uint64_t question = ++questions_;
    auto version = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    version << QString::fromLatin1(kExtensionsInterface) << QStringLiteral("ShellVersion");
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(version), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, question](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *answer;
                // A newer question is on its way; its answers count.
                if (question != questions_)
                    return;
                if (reply.isError()) {
                    setState(State::Unknown, {});
                    return;
                }
                shellVersion_ = reply.value().variant().toString();
                uuid_ = uuidFor(shellVersion_);
                askInfo(question);
            });
}

void ShellExtension::askInfo(std::uint64_t question) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
        QString::fromLatin1(kExtensionsInterface), QStringLiteral("GetExtensionInfo"));
    message << uuid_;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, question](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *answer;
                if (question != questions_)
                    return;
                if (reply.isError())
                    setState(State::Unknown, {});
                else
                    apply(reply.value());
            });
}

void ShellExtension::stateChanged(const QString& uuid, const QVariantMap& info) {
    if (uuid != uuid_)
        return;
    apply(info);
}

void ShellExtension::apply(const QVariantMap& info) {
    const QString metadata = installedMetadata(uuid_);
    const bool supported =
        metadata.isEmpty() || declaresShellVersion(declaredShellVersions(metadata), shellVersion_);
    setState(extensionState(info, !metadata.isEmpty(), supported),
             info.value(QStringLiteral("error")).toString());
}

void ShellExtension::setState(State state, const QString& error) {
    if (state == state_ && error == error_)
        return;
    state_ = state;
    error_ = error;
    if (const auto line = extensionStateLine(state_, uuid_, error_, shellVersion_); !line.empty())
        diagnostics_.line(line);
    Q_EMIT changed();
}

void ShellExtension::switchOn(std::function<void(std::optional<std::string> whyNot)> done) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellName), QString::fromLatin1(kShellPath),
        QString::fromLatin1(kExtensionsInterface), QStringLiteral("EnableExtension"));
    message << uuid_;
    // A busy or stuck Shell must not hold the window up.
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                const QDBusPendingReply<bool> reply = *answer;
                if (reply.isError())
                    done(reply.error().message().toStdString());
                else if (!reply.value())
                    done("GNOME Shell refused to switch it on");
                else
                    done(std::nullopt);
            });
}

} // namespace vontal
