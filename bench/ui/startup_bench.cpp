// From process start to the window on screen: starts a private Xvfb, then starts
// `vontal --simulate` again and again and times each run from the spawn to the MapNotify of its
// first top-level window. Usage: vontal_startup_bench [runs] [path to vontal]

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
            posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env(extraEnv);
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        const bool overridden = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const auto& e) {
            return e.substr(0, e.find('=')) == name;
        });
        if (!overridden)
            env.push_back(text);
    }
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Starts Xvfb on a free display; returns its pid and the display name.
std::optional<std::pair<pid_t, std::string>> startXvfb() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    const pid_t pid = spawn(
        {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0", "1280x800x24"},
        {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (pid < 0)
        return std::nullopt;
    std::string number;
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(pipeFds[0]);
    if (number.empty()) {
        stop(pid);
        return std::nullopt;
    }
    return std::make_pair(pid, ":" + number);
}

// Waits for the next top-level window to be mapped; false after the timeout.
bool waitForMap(xcb_connection_t* connection, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped)
                return true;
        }
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        ::poll(&fd, 1, static_cast<int>(std::max<long>(1, left.count())));
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string vontal = argc > 2 ? argv[2] : VONTAL_EXECUTABLE;

    const auto xvfb = startXvfb();
    if (!xvfb) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const auto& [xvfbPid, display] = *xvfb;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot connect to %s\n", display.c_str());
        stop(xvfbPid);
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    char runtimeTemplate[] = "/tmp/vontal-startup-XXXXXX";
    const std::string runtime = ::mkdtemp(runtimeTemplate);
    std::vector<double> millis;
    int status = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        const pid_t pid =
            spawn({vontal, "--simulate"},
                  {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtime});
        if (pid < 0) {
            std::fprintf(stderr, "cannot start %s\n", vontal.c_str());
            status = 1;
            break;
        }
        const bool shown = waitForMap(connection, std::chrono::seconds(10));
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        stop(pid);
        if (!shown) {
            std::fprintf(stderr, "run %d: no window within 10 s\n", run + 1);
            status = 1;
            break;
        }
        millis.push_back(elapsed);
        std::printf("run %2d: window shown %.1f ms after process start\n", run + 1, elapsed);
    }
    xcb_disconnect(connection);
    stop(xvfbPid);
    ::rmdir(runtime.c_str());

    if (!millis.empty()) {
        std::sort(millis.begin(), millis.end());
        std::printf("min %.1f ms, median %.1f ms, max %.1f ms over %zu runs (goal: under 300 ms)\n",
                    millis.front(), millis[millis.size() / 2], millis.back(), millis.size());
    }
    return status;
}
