#pragma once

// A real Secret Service for a test: gnome-keyring-daemon (its secrets component alone) on the
// test's session bus, with its keyrings and socket in the test's own folders, stopped by process
// id. What it holds is read from outside, over the Secret Service's D-Bus API, as any client
// would read it.

#include <QByteArray>
#include <QDBusConnection>
#include <QMap>
#include <QProcess>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal::testing {

class SecretServiceDaemon final {
public:
    // The keyring files go to dataHome/keyrings (XDG_DATA_HOME), the control socket under
    // runtimeDir. The login keyring is created, or unlocked, with the test's password. Throws
    // std::runtime_error when the daemon does not take its bus name.
    SecretServiceDaemon(const std::filesystem::path& home, const std::filesystem::path& dataHome,
                        const std::filesystem::path& runtimeDir, const std::string& busAddress);
    ~SecretServiceDaemon();
    SecretServiceDaemon(const SecretServiceDaemon&) = delete;
    SecretServiceDaemon& operator=(const SecretServiceDaemon&) = delete;

    struct Item {
        QString path;
        QString label;
        QMap<QString, QString> attributes;
        QByteArray secret;
    };
    // The items whose attributes include service=vontal, with their secrets; nothing when the
    // service could not be asked (a locked item is left out: its secret cannot be read).
    std::optional<std::vector<Item>> vontalItems();
    // vontal's item for a device, by its identifier's text.
    std::optional<Item> itemFor(const std::string& identifier);
    // Locks the default collection, as a screen lock or a timeout would; true once it is.
    bool lockDefaultCollection();
    // Whether the daemon holds org.freedesktop.secrets.
    bool onTheBus();

private:
    QDBusConnection& bus();

    QProcess daemon_;
    std::string busAddress_;
    QString connectionName_;
    std::unique_ptr<QDBusConnection> bus_;
};

} // namespace vontal::testing
