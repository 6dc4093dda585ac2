// The GNOME Shell part of the Wayland test desktop: a system bus with a stand-in logind (the Shell
// aborts without one), the extensions installed and switched on before it starts, and the Shell
// headless with a virtual monitor, out of its overview so that windows get the focus.

#include "tests/support/desktop/wayland_session.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vontal::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kOpenSystemBus = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

constexpr const char* kWaylandName = "vontal-gnome";

// Readable by the Shell's user, whoever wrote them.
void shareTree(const fs::path& root) {
    fs::permissions(root, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        fs::permissions(entry.path(),
                        entry.is_directory() ? fs::perms::others_read | fs::perms::others_exec
                                             : fs::perms::others_read,
                        fs::perm_options::add);
    }
}

bool logSays(const fs::path& log, const std::string& words) {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(words) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

void WaylandSession::startGnome(const GnomeSetup& setup, Deadline deadline) {
    // The Shell's Xwayland wants the X socket folder as a booted system has it (systemd-tmpfiles
    // makes it world-writable and sticky); the first X server of a fresh machine may be this one.
    const fs::path xSockets = "/tmp/.X11-unix";
    std::error_code ignored;
    fs::create_directory(xSockets, ignored);
    fs::permissions(xSockets, fs::perms::all | fs::perms::sticky_bit, ignored);
    // The system bus, its address read from a file the daemon writes (descriptor 3).
    std::ofstream(workDir_ / "system-bus.conf") << kOpenSystemBus;
    const fs::path addressFile = workDir_ / "system-bus.address";
    const int fd = open(addressFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot write the system bus address");
    spawn({"dbus-daemon", "--nofork", "--nopidfile", "--print-address=3",
           "--config-file=" + (workDir_ / "system-bus.conf").string()},
          fd, "system-bus.log");
    close(fd);
    std::string systemBus;
    while (systemBus.empty()) {
        std::ifstream(addressFile) >> systemBus;
        if (systemBus.empty()) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("the system bus did not start");
            std::this_thread::sleep_for(20ms);
        }
    }
    setVariable("DBUS_SYSTEM_BUS_ADDRESS", systemBus);
    spawn({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"}, -1,
          "logind.log");
    while (!run({"dbus-send", "--system", "--print-reply", "--dest=org.freedesktop.login1",
                 "/org/freedesktop/login1", "org.freedesktop.DBus.Peer.Ping"})) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the stand-in logind did not start");
        std::this_thread::sleep_for(20ms);
    }

    // Extensions system-wide (as a package installs them), settings in a key file it reads.
    gnomeData_ = workDir_ / "share";
    fs::create_directories(gnomeData_ / "gnome-shell" / "extensions");
    for (const auto& extension : setup.extensions) {
        fs::copy(extension, gnomeData_ / "gnome-shell" / "extensions" / extension.filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    shareTree(gnomeData_);
    const fs::path config = home_ / ".config";
    fs::create_directories(config / "glib-2.0" / "settings");
    std::string enabled;
    for (const auto& uuid : setup.enabled)
        enabled += (enabled.empty() ? "'" : ", '") + uuid + "'";
    std::ofstream(config / "glib-2.0" / "settings" / "keyfile")
        << "[org/gnome/shell]\nenabled-extensions=[" << enabled << "]\n"
        << "welcome-dialog-last-shown-version='999'\n";
    shareTree(config);
    // The Shell writes its settings there as its own user.
    for (const auto& entry : fs::recursive_directory_iterator(config))
        fs::permissions(entry.path(), fs::perms::others_write, fs::perm_options::add);
    fs::permissions(config, fs::perms::others_write, fs::perm_options::add);

    setVariable("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    setVariable("XDG_CONFIG_HOME", config.string());
    setVariable("GSETTINGS_BACKEND", "keyfile");
    setVariable("XDG_DATA_DIRS", gnomeData_.string() + ":/usr/local/share:/usr/share");
    setVariable("XDG_CURRENT_DESKTOP", "GNOME");
    compositor_ = spawn({"gnome-shell", "--headless", "--wayland", "--wayland-display",
                         kWaylandName, "--virtual-monitor", "1280x800"},
                        -1, "gnome-shell.log");
    // Ready once its start-up is complete: it answers on its interface well before that, and the
    // end of its start-up (once the backgrounds have loaded, late on a busy machine) shows the
    // overview, where no application is in front. The Shell says so in one line of its log.
    const fs::path log = workDir_ / "gnome-shell.log";
    while (!logSays(log, "GNOME Shell started at")) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(compositor_, nullptr, WNOHANG))
            throw std::runtime_error("GNOME Shell did not finish its start-up");
        std::this_thread::sleep_for(50ms);
    }
    // Then out of the overview, where new windows get no focus: asked to leave until it reads
    // false, which it does once the overview has finished hiding.
    const std::vector<std::string> leave = {"org.gnome.Shell", "OverviewActive", "<false>"};
    const std::vector<std::string> ask = {"org.gnome.Shell", "OverviewActive"};
    for (;;) {
        if (gnomeCall("/org/gnome/Shell", "org.freedesktop.DBus.Properties.Set", leave)) {
            const auto active =
                gnomeCall("/org/gnome/Shell", "org.freedesktop.DBus.Properties.Get", ask);
            if (active && active->find("false") != std::string::npos)
                break;
        }
        if (std::chrono::steady_clock::now() > deadline || waitpid(compositor_, nullptr, WNOHANG))
            throw std::runtime_error("GNOME Shell did not start, or stays in its overview");
        std::this_thread::sleep_for(50ms);
    }
    waylandDisplay_ = (home_ / "runtime" / kWaylandName).string();
    setVariable("WAYLAND_DISPLAY", waylandDisplay_);
}

std::string WaylandSession::gnomeShellVersion() {
    static const std::string version = [] {
        std::string printed;
        if (FILE* pipe = popen("gnome-shell --version 2>/dev/null", "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe))
                printed += buffer;
            pclose(pipe);
        }
        // "GNOME Shell 48.7"
        const auto start = printed.find_first_of("0123456789");
        if (start == std::string::npos)
            return std::string();
        const auto end = printed.find_first_of(" \n", start);
        return printed.substr(start, end == std::string::npos ? end : end - start);
    }();
    return version;
}

fs::path WaylandSession::gnomeExtensionForm(const fs::path& forms) {
    const QString major =
        QString::fromStdString(gnomeShellVersion()).section(QLatin1Char('.'), 0, 0);
    for (const auto& entry : fs::recursive_directory_iterator(forms)) {
        if (entry.path().filename() != "metadata.json")
            continue;
        QFile file(QString::fromStdString(entry.path().string()));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const auto declared =
            QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("shell-version"));
        if (declared.toArray().contains(major))
            return entry.path().parent_path();
    }
    return {};
}

std::optional<std::string> WaylandSession::gnomeCall(const std::string& path,
                                                     const std::string& method,
                                                     const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {
        "gdbus",         "call", "--session", "--dest", "org.gnome.Shell",
        "--object-path", path,   "--method",  method};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return output(argv);
}

} // namespace vontal::testing
