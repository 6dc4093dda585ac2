#include "tests/support/process/descendants.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vontal::testing {

namespace {

sigset_t childSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGCHLD);
    return set;
}

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (const auto& s : strings) {
        result.push_back(const_cast<char*>(s.c_str()));
    }
    result.push_back(nullptr);
    return result;
}

std::string target(const std::filesystem::path& file) {
    return file.empty() ? std::string("/dev/null") : file.string();
}

} // namespace

void blockChildSignal() {
    std::signal(SIGCHLD, SIG_DFL);
    const sigset_t set = childSignal();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

Descendants::Descendants() {
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        throw std::runtime_error("cannot become a subreaper");
    }
}

Descendants::~Descendants() {
    // A descendant may itself leave children behind when it dies, so go round until none is left.
    for (int round = 0; round < 10; ++round) {
        const auto left = children();
        if (left.empty()) {
            break;
        }
        for (pid_t pid : left) {
            kill(pid, SIGKILL);
        }
        waitForAll(std::chrono::seconds(5));
    }
}

pid_t Descendants::spawn(const SpawnOptions& options) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = target(options.stdoutFile);
    const std::string err = target(options.stderrFile);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    // The new process must not inherit our blocked SIGCHLD.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    const sigset_t defaults = childSignal();
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    auto argv = pointers(options.argv);
    auto envp = pointers(options.environment);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        throw std::runtime_error("cannot start " + options.argv.front());
    }
    noChildren_ = false;
    return pid;
}

void Descendants::reapReady() {
    for (;;) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid > 0) {
            reaped_.push_back({pid, status});
            continue;
        }
        noChildren_ = pid < 0 && errno == ECHILD;
        return;
    }
}

bool Descendants::waitUntil(const auto& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const sigset_t set = childSignal();
    for (;;) {
        reapReady();
        if (done()) {
            return true;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return false;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
        // Wakes when a child ends (the signal stays pending between reapReady and here) or
        // at the deadline.
        sigtimedwait(&set, nullptr, &wait);
    }
}

std::optional<int> Descendants::waitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    auto find = [&] {
        return std::find_if(reaped_.begin(), reaped_.end(),
                            [pid](const Reaped& r) { return r.pid == pid; });
    };
    if (!waitUntil([&] { return find() != reaped_.end(); }, timeout)) {
        return std::nullopt;
    }
    return find()->status;
}

bool Descendants::waitForAll(std::chrono::milliseconds timeout) {
    return waitUntil([&] { return noChildren_; }, timeout);
}

bool Descendants::waitForAllBut(pid_t survivor, std::chrono::milliseconds timeout) {
    // Re-parenting is not an event, so the list of children is read afresh on every wake-up.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = children();
        if (left.size() == 1 && left.front() == survivor) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        waitUntil([] { return false; }, std::chrono::milliseconds(20));
    }
}

std::optional<pid_t> Descendants::waitForProgram(const std::filesystem::path& executable,
                                                 std::chrono::milliseconds timeout) {
    // A program started by a descendant is not ours until that descendant ends, so this only
    // finds programs whose starters are gone; starting a program is not a reason to wake up,
    // hence the polling of /proc between child events.
    std::optional<pid_t> found;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!found && std::chrono::steady_clock::now() < deadline) {
        for (pid_t pid : children()) {
            std::error_code error;
            const auto exe =
                std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
            if (!error && exe == executable) {
                found = pid;
                break;
            }
        }
        if (!found) {
            waitUntil([] { return false; }, std::chrono::milliseconds(20));
        }
    }
    return found;
}

bool Descendants::isRunning(pid_t pid) const {
    const auto mine = children();
    return std::find(mine.begin(), mine.end(), pid) != mine.end();
}

std::vector<pid_t> Descendants::children() const {
    std::vector<pid_t> result;
    const pid_t self = getpid();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // pid (comm) state ppid ...: comm may hold spaces and parentheses, so read after the last
        // ')'.
        const auto close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        char state = 0;
        int ppid = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == self &&
            state != 'Z') {
            result.push_back(static_cast<pid_t>(std::stoi(name)));
        }
    }
    return result;
}

} // namespace vontal::testing
