#include "tests/support/e2e/vontal_environment.h"

#include <QFile>
#include <QJsonDocument>
#include <csignal>
#include <fstream>
#include <sys/prctl.h>

namespace vontal::e2e {

namespace fs = std::filesystem;

namespace {

QString pathText(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

void prepareVontalHome(const fs::path& root) {
    for (const char* dir : {"home", "config", "data/applications", "data-home", "cache", "runtime"})
        fs::create_directories(root / dir);
    // Where vontal keeps its single-instance socket; private, as a login session's would be.
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
}

namespace {

QProcessEnvironment homeEnvironment(const fs::path& root, const std::string& busAddress) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto set = [&](const char* name, const QString& value) {
        environment.insert(QString::fromLatin1(name), value);
    };
    set("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(busAddress));
    set("HOME", pathText(root / "home"));
    set("XDG_CONFIG_HOME", pathText(root / "config"));
    set("XDG_DATA_HOME", pathText(root / "data-home"));
    set("XDG_DATA_DIRS", pathText(root / "data"));
    set("XDG_CACHE_HOME", pathText(root / "cache"));
    set("XDG_RUNTIME_DIR", pathText(root / "runtime"));
    set("LANGUAGE", QStringLiteral("de"));
    set("GSETTINGS_BACKEND", QStringLiteral("memory"));
    set("NO_AT_BRIDGE", QStringLiteral("1"));
    // The stand-in for bluetoothd is a Python program whose version Qt cannot read.
    set("BLUETOOTH_FORCE_DBUS_LE_VERSION", QStringLiteral("5.66"));
    return environment;
}

} // namespace

QProcessEnvironment vontalEnvironment(const fs::path& root, const testing::XSession& session) {
    QProcessEnvironment environment = homeEnvironment(root, session.busAddress());
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(session.display()));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

QProcessEnvironment vontalEnvironment(const fs::path& root,
                                      const testing::WaylandSession& session) {
    QProcessEnvironment environment = homeEnvironment(root, session.busAddress());
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(session.xDisplay()));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"),
                       QString::fromStdString(session.waylandDisplay()));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    // Qt picks its Wayland plugin by itself there; only a test runner's own choice is undone.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

bool writeDesktopEntry(const fs::path& root, const std::string& fileName, const std::string& body) {
    std::ofstream out(root / "data" / "applications" / fileName);
    out << "[Desktop Entry]\nType=Application\n" << body;
    return out.good();
}

fs::path settingsFile(const fs::path& root) {
    return root / "config" / "vontal" / "vontal.json";
}

bool writeSettingsFile(const fs::path& root, const QJsonObject& entries) {
    const fs::path path = settingsFile(root);
    fs::create_directories(path.parent_path());
    fs::permissions(path.parent_path(), fs::perms::owner_all, fs::perm_options::replace);
    QFile file(pathText(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = QJsonDocument(entries).toJson();
    const bool written = file.write(text) == text.size();
    file.close();
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace);
    return written;
}

bool startChild(QProcess& process, const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment) {
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Gone with this process even if it dies before stopping the child.
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, arguments);
    return process.waitForStarted(10000);
}

} // namespace vontal::e2e
