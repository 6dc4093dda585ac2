#include "tests/support/desktop/session_processes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vontal::testing {

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

using namespace std::chrono_literals;

SessionProcesses::SessionProcesses(std::filesystem::path workDir) : workDir_(std::move(workDir)) {
    for (char** entry = environ; *entry != nullptr; ++entry)
        environment_.emplace_back(*entry);
}

SessionProcesses::~SessionProcesses() {
    stopAll();
}

void SessionProcesses::setVariable(const std::string& name,
                                   const std::optional<std::string>& value) {
    const std::string prefix = name + "=";
    std::erase_if(environment_,
                  [&](const std::string& entry) { return entry.starts_with(prefix); });
    if (value)
        environment_.push_back(prefix + *value);
}

std::optional<std::string> SessionProcesses::variable(const std::string& name) const {
    const std::string prefix = name + "=";
    for (const auto& entry : environment_) {
        if (entry.starts_with(prefix))
            return entry.substr(prefix.size());
    }
    return std::nullopt;
}

void SessionProcesses::stopAll() {
    // Programs first, the servers last.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        kill(*it, SIGTERM);
    const auto deadline = deadlineIn(3s);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        while (waitpid(*it, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(*it, SIGKILL);
                waitpid(*it, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
    }
    children_.clear();
}

pid_t SessionProcesses::spawn(const std::vector<std::string>& argv, int passFd,
                              const std::string& logName, int outputFd) {
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (const auto& entry : environment_)
        env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    const std::string logPath = (workDir_ / logName).string();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    const auto user = user_;

    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(devNull, 0);
        dup2(outputFd >= 0 ? outputFd : log, 1);
        dup2(log, 2);
        if (passFd >= 0) {
            if (passFd == 3)
                fcntl(3, F_SETFD, 0);
            else
                dup2(passFd, 3);
        }
        if (user) {
            if (setgroups(1, &user->gid) != 0 || setgid(user->gid) != 0 || setuid(user->uid) != 0)
                _exit(126);
            // A changed user loses the death signal; set it again.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        }
        execvpe(args[0], args.data(), env.data());
        _exit(127);
    }
    close(log);
    close(devNull);
    if (pid < 0)
        throw std::runtime_error("fork failed");
    children_.push_back(pid);
    return pid;
}

bool SessionProcesses::waitForExit(pid_t pid) {
    std::erase(children_, pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

pid_t SessionProcesses::launch(const std::vector<std::string>& argv) {
    return spawn(argv, -1, "programs.log");
}

bool SessionProcesses::run(const std::vector<std::string>& argv) {
    std::vector<std::string> bounded = {"timeout", "10"};
    bounded.insert(bounded.end(), argv.begin(), argv.end());
    return waitForExit(spawn(bounded, -1, "commands.log"));
}

std::optional<std::string> SessionProcesses::output(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    std::vector<std::string> bounded = {"timeout", "10"};
    bounded.insert(bounded.end(), argv.begin(), argv.end());
    const pid_t pid = spawn(bounded, -1, "commands.log", pipeFds[1]);
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    if (!waitForExit(pid))
        return std::nullopt;
    return text;
}

} // namespace vontal::testing
