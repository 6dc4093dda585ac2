#include "tests/x11/wayland_session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vontal::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string readLine(int fd, Deadline deadline) {
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        line.append(buffer, static_cast<std::size_t>(n));
        if (const auto end = line.find('\n'); end != std::string::npos)
            return line.substr(0, end);
    }
}

// The unprivileged user's account, created once per machine.
passwd* testUser(SessionProcesses& processes) {
    if (passwd* user = getpwnam(WaylandSession::kTestUser))
        return user;
    processes.run({"useradd", "--system", "--create-home", WaylandSession::kTestUser});
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

} // namespace

WaylandSession::WaylandSession(fs::path workDir, Compositor compositor)
    : SessionProcesses(std::move(workDir)) {
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
        spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=3"},
              pipeFds[1], "dbus.log");
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
        if (compositor == Compositor::Weston) {
            compositor_ = spawn(
                {"weston", "--backend=headless-backend.so", "--no-config", "--socket=wayland-1"},
                -1, "weston.log");
        } else {
            compositor_ = spawn({"sway", "-c", (home / "config").string()}, -1, "sway.log");
        }

        const auto deadline = deadlineIn(15s);
        while (waylandDisplay_.empty()) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(runtime, error)) {
                const auto name = entry.path().filename().string();
                if (name.starts_with("wayland-") && entry.is_socket())
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
        if (compositor == Compositor::Weston)
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

void WaylandSession::killCompositor() {
    if (compositor_ == 0)
        return;
    kill(compositor_, SIGTERM);
    waitForExit(compositor_);
    compositor_ = 0;
}

} // namespace vontal::testing
