#include "tests/support/desktop/wayland_session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vontal::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The unprivileged user's account, created once per machine.
passwd* testUser(SessionProcesses& processes) {
    if (passwd* user = getpwnam(WaylandSession::kTestUser))
        return user;
    // Tests run in parallel: one creates the user, the others wait for it (useradd fails while
    // another holds the password files).
    processes.run({"flock", "/tmp/vontal-test-users.lock", "sh", "-c",
                   "getent passwd \"$0\" >/dev/null || useradd --system --create-home \"$0\"",
                   WaylandSession::kTestUser});
    if (passwd* user = getpwnam(WaylandSession::kTestUser))
        return user;
    throw std::runtime_error("cannot create the user vontaltest");
}

// The compositor's user must reach its directories under ours.
void openPathTo(const fs::path& directory) {
    for (fs::path p = directory; p.has_relative_path(); p = p.parent_path()) {
        struct stat info {};
        if (stat(p.c_str(), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & S_IXOTH))
            continue;
        chmod(p.c_str(), (info.st_mode & 07777) | S_IXOTH);
    }
}

// Whether a program can connect to the Unix socket now.
bool accepts(const fs::path& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof(address.sun_path)) {
        close(fd);
        return false;
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return connected;
}

void giveTo(const fs::path& path, const passwd* user, fs::perms perms) {
    fs::create_directories(path);
    fs::permissions(path, perms);
    if (user != nullptr && chown(path.c_str(), user->pw_uid, user->pw_gid) != 0)
        throw std::runtime_error("cannot hand " + path.string() + " to the test user");
}

// Every window of the tree: nodes and floating nodes with a process behind them.
void collectWindows(const QJsonObject& node, std::vector<QJsonObject>& windows) {
    if (node.contains("pid"))
        windows.push_back(node);
    for (const char* key : {"nodes", "floating_nodes"}) {
        for (const auto& child : node.value(key).toArray())
            collectWindows(child.toObject(), windows);
    }
}

std::string appIdOrClass(const QJsonObject& window) {
    if (const auto appId = window.value("app_id"); appId.isString())
        return appId.toString().toStdString();
    return window.value("window_properties").toObject().value("class").toString().toStdString();
}

constexpr const char* kOpenSessionBus = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
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

// The X display whose lock file names this process or a child of it.
std::optional<std::string> xDisplayOf(pid_t owner) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/tmp", error)) {
        const auto name = entry.path().filename().string();
        if (!name.starts_with(".X") || !name.ends_with("-lock"))
            continue;
        pid_t pid = 0;
        std::ifstream(entry.path()) >> pid;
        pid_t parent = 0;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string field;
        for (int i = 0; i < 4 && stat >> field; ++i) {
            if (i == 3)
                parent = static_cast<pid_t>(std::atoi(field.c_str()));
        }
        if (pid == owner || parent == owner)
            return ":" + name.substr(2, name.size() - 2 - 5);
    }
    return std::nullopt;
}

} // namespace

WaylandSession::WaylandSession(fs::path workDir, Compositor compositor, GnomeSetup gnome)
    : SessionProcesses(std::move(workDir)), kind_(compositor) {
    fs::create_directories(workDir_ / "config");
    setVariable("XDG_CONFIG_HOME", (workDir_ / "config").string());
    setVariable("XDG_SESSION_TYPE", "wayland");
    setVariable("DISPLAY", std::nullopt);
    setVariable("WAYLAND_DISPLAY", std::nullopt);
    setVariable("GSETTINGS_BACKEND", "memory");
    setVariable("NO_AT_BRIDGE", "1");
    try {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        std::vector<std::string> busArguments = {"dbus-daemon", "--nofork", "--nopidfile",
                                                 "--print-address=3"};
        if (compositor == Compositor::Kwin || compositor == Compositor::Gnome) {
            // KWin or the Shell is on the bus too, as the unprivileged user: a bus for every user.
            std::ofstream(workDir_ / "session-bus.conf") << kOpenSessionBus;
            busArguments.push_back("--config-file=" + (workDir_ / "session-bus.conf").string());
        } else {
            busArguments.push_back("--session");
        }
        spawn(busArguments, pipeFds[1], "dbus.log");
        close(pipeFds[1]);
        busAddress_ = readLine(pipeFds[0], deadlineIn(15s));
        close(pipeFds[0]);
        if (busAddress_.empty())
            throw std::runtime_error("dbus-daemon did not start");

        const passwd* user = geteuid() == 0 ? testUser(*this) : nullptr;
        const fs::path home = workDir_ / "compositor";
        const fs::path runtime = home / "runtime";
        openPathTo(workDir_);
        giveTo(home, user, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        giveTo(runtime, user, fs::perms::owner_all);
        std::ofstream(home / "config") << "xwayland enable\n"
                                          "default_border none\n"
                                          "focus_follows_mouse no\n";
        if (user != nullptr)
            runAs(user->pw_uid, user->pw_gid);
        setVariable("HOME", home.string());
        setVariable("XDG_RUNTIME_DIR", runtime.string());
        setVariable("SWAYSOCK", (runtime / "sway.sock").string());
        setVariable("WLR_BACKENDS", "headless");
        setVariable("WLR_LIBINPUT_NO_DEVICES", "1");
        setVariable("WLR_RENDERER", "pixman");
        if (compositor == Compositor::Gnome) {
            home_ = home;
            startGnome(gnome, deadlineIn(30s));
            return;
        }
        if (compositor == Compositor::Kwin) {
            home_ = home;
            setVariable("DBUS_SESSION_BUS_ADDRESS", busAddress_);
            setVariable("XDG_CONFIG_HOME", (home / ".config").string());
            setVariable("KWIN_COMPOSE", "Q");
            // A copy carries no file capability; the compositor's user runs it.
            fs::copy_file("/usr/bin/kwin_wayland", home / "kwin_wayland",
                          fs::copy_options::overwrite_existing);
            fs::permissions(home / "kwin_wayland",
                            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
            startKwin(deadlineIn(20s));
            return;
        }
        if (compositor == Compositor::Weston) {
            compositor_ = spawn(
                {"weston", "--backend=headless-backend.so", "--no-config", "--socket=wayland-1"},
                -1, "weston.log");
        } else if (compositor == Compositor::Labwc) {
            // Its defaults, in a config folder of its own: no menu, panel or autostart.
            fs::create_directories(home / "labwc");
            std::ofstream(home / "labwc" / "rc.xml")
                << "<?xml version=\"1.0\"?>\n<labwc_config><focus><followMouse>no</followMouse>"
                   "</focus></labwc_config>\n";
            giveTo(home / "labwc", user,
                   fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
            compositor_ =
                spawn({"labwc", "--config-dir", (home / "labwc").string()}, -1, "labwc.log");
        } else {
            compositor_ = spawn({"sway", "-c", (home / "config").string()}, -1, "sway.log");
        }

        const auto deadline = deadlineIn(15s);
        while (waylandDisplay_.empty()) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(runtime, error)) {
                const auto name = entry.path().filename().string();
                // The socket is bound a moment before the compositor listens on it.
                if (name.starts_with("wayland-") && entry.is_socket() && accepts(entry.path()))
                    waylandDisplay_ = entry.path().string();
            }
            if (waylandDisplay_.empty()) {
                if (std::chrono::steady_clock::now() > deadline ||
                    waitpid(compositor_, nullptr, WNOHANG) != 0)
                    throw std::runtime_error("the compositor did not start");
                std::this_thread::sleep_for(20ms);
            }
        }
        setVariable("WAYLAND_DISPLAY", waylandDisplay_);
        if (compositor == Compositor::Weston || compositor == Compositor::Labwc)
            return;
        while (!run({"swaymsg", "-t", "get_version"})) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("sway does not answer");
            std::this_thread::sleep_for(20ms);
        }

        // Xwayland starts with the first X client; sway knows its display from the start.
        const fs::path displayFile = runtime / "x-display";
        swaymsg({"exec", "printf %s \"$DISPLAY\" > " + displayFile.string()});
        while (xDisplay_.empty()) {
            std::ifstream(displayFile) >> xDisplay_;
            if (xDisplay_.empty()) {
                if (std::chrono::steady_clock::now() > deadline)
                    throw std::runtime_error("sway did not tell its X display");
                std::this_thread::sleep_for(20ms);
            }
        }
        setVariable("DISPLAY", xDisplay_);

        // A seat of a real session always has a keyboard with a keymap. Headless sway has none
        // until a program makes one, and a window focused meanwhile gets a keyboard without a
        // keymap (no_keymap), whose keys Qt's Wayland plugin drops from 6.8 on: the password
        // typed into the alert never arrived. A virtual keyboard held for the whole session
        // (wtype sleeping) is that keyboard.
        launch({"wtype", "-s", "86400000"});
    } catch (...) {
        stopAll();
        throw;
    }
}

WaylandSession::~WaylandSession() {
    stopAll();
}

bool WaylandSession::swaymsg(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"swaymsg"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return run(argv);
}

bool WaylandSession::focus(const std::string& criteria) {
    if (kind_ == Compositor::Labwc)
        return run({"wlrctl", "toplevel", "focus", criteria});
    return swaymsg({"[" + criteria + "] focus"});
}

std::optional<std::string> WaylandSession::tree() {
    return output({"swaymsg", "-r", "-t", "get_tree"});
}

std::optional<QJsonObject>
WaylandSession::waitForNode(const std::function<bool(const QJsonObject&)>& matches,
                            Deadline deadline) {
    for (;;) {
        if (const auto text = tree()) {
            std::vector<QJsonObject> windows;
            collectWindows(QJsonDocument::fromJson(QByteArray::fromStdString(*text)).object(),
                           windows);
            for (const auto& window : windows) {
                if (matches(window))
                    return window;
            }
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(50ms);
    }
}

bool WaylandSession::waitForWindow(const std::string& appIdOrClassName, Deadline deadline) {
    if (kind_ == Compositor::Labwc) {
        while (!run({"wlrctl", "toplevel", "find", "app_id:" + appIdOrClassName})) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }
    return waitForNode(
               [&](const QJsonObject& window) { return appIdOrClass(window) == appIdOrClassName; },
               deadline)
        .has_value();
}

QJsonObject WaylandSession::focusedNode() {
    const auto text = tree();
    if (!text)
        return {};
    std::vector<QJsonObject> windows;
    collectWindows(QJsonDocument::fromJson(QByteArray::fromStdString(*text)).object(), windows);
    for (const auto& window : windows) {
        if (window.value("focused").toBool())
            return window;
    }
    return {};
}

std::optional<std::string> WaylandSession::focusedWindow() {
    const auto node = focusedNode();
    if (node.isEmpty())
        return std::nullopt;
    return appIdOrClass(node);
}

std::optional<std::string> WaylandSession::focusedTitle() {
    const auto node = focusedNode();
    if (node.isEmpty())
        return std::nullopt;
    return node.value("name").toString().toStdString();
}

void WaylandSession::startKwin(Deadline deadline) {
    const std::string socket = "wayland-kwin";
    compositor_ = spawn({(home_ / "kwin_wayland").string(), "--virtual", "--socket", socket,
                         "--width", "1280", "--height", "800", "--no-lockscreen",
                         "--no-global-shortcuts", "--no-kactivities", "--xwayland"},
                        -1, "kwin-" + std::to_string(++kwinStarts_) + ".log");
    // Ready once its scripting interface is on the bus; Xwayland's display is reserved by then.
    for (;;) {
        const auto owned = output({"dbus-send", "--session", "--print-reply",
                                   "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus.NameHasOwner", "string:org.kde.KWin"});
        if (owned && owned->find("boolean true") != std::string::npos)
            break;
        if (std::chrono::steady_clock::now() > deadline || waitpid(compositor_, nullptr, WNOHANG))
            throw std::runtime_error("KWin did not start");
        std::this_thread::sleep_for(20ms);
    }
    std::optional<std::string> display;
    while (!(display = xDisplayOf(compositor_))) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("KWin did not start Xwayland");
        std::this_thread::sleep_for(20ms);
    }
    waylandDisplay_ = (home_ / "runtime" / socket).string();
    xDisplay_ = *display;
    setVariable("WAYLAND_DISPLAY", waylandDisplay_);
    setVariable("DISPLAY", xDisplay_);
}

void WaylandSession::restartKwin() {
    killCompositor();
    startKwin(deadlineIn(20s));
}

std::optional<std::string>
WaylandSession::kwinScripting(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"dbus-send", "--session", "--print-reply",
                                     "--dest=org.kde.KWin", "/Scripting"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return output(argv);
}

bool WaylandSession::kwinScript(const std::string& source) {
    const std::string name = "vontal-test-" + std::to_string(++kwinScripts_);
    const fs::path file = home_ / (name + ".js");
    std::ofstream(file) << source;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    const auto id = kwinScripting(
        {"org.kde.kwin.Scripting.loadScript", "string:" + file.string(), "string:" + name});
    if (!id || id->find("int32 -1") != std::string::npos)
        return false;
    return kwinScripting({"org.kde.kwin.Scripting.start"}).has_value();
}

bool WaylandSession::kwinActivate(const std::string& wanted, Deadline deadline) {
    std::ifstream in(VONTAL_KWIN_ACTIVATE_SCRIPT);
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    // A window may not be mapped yet: asked again until it is.
    while (std::chrono::steady_clock::now() < deadline) {
        std::string text = source;
        const std::string token = "activate-" + std::to_string(kwinScripts_ + 1);
        text.replace(text.find("@WANTED@"), 8, wanted);
        text.replace(text.find("@TOKEN@"), 7, token);
        if (!kwinScript(text))
            return false;
        if (kwinPrinted(token, deadlineIn(5s)) == token + " activated")
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

std::optional<std::string> WaylandSession::kwinPrinted(const std::string& prefix,
                                                       Deadline deadline) {
    const std::string marker = "js: " + prefix;
    for (;;) {
        std::ifstream log(workDir_ / ("kwin-" + std::to_string(kwinStarts_) + ".log"));
        std::optional<std::string> last;
        for (std::string line; std::getline(log, line);) {
            if (line.starts_with(marker))
                last = line.substr(4);
        }
        if (last || std::chrono::steady_clock::now() > deadline)
            return last;
        std::this_thread::sleep_for(20ms);
    }
}

void WaylandSession::killCompositor() {
    if (compositor_ == 0)
        return;
    kill(compositor_, SIGTERM);
    waitForExit(compositor_);
    compositor_ = 0;
}

} // namespace vontal::testing
