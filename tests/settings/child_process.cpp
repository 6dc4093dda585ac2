#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vontal::testing {

namespace {

std::vector<char*> argvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int exitStatus(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    auto args = argvPointers(argv);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output_ = fds[0];
}

ChildProcess::~ChildProcess() {
    kill();
    if (output_ >= 0)
        close(output_);
}

std::optional<long> ChildProcess::readNumber() {
    for (;;) {
        const auto newline = buffer_.find('\n');
        if (newline != std::string::npos) {
            const long number = std::strtol(buffer_.c_str(), nullptr, 10);
            buffer_.erase(0, newline + 1);
            return number;
        }
        char chunk[256];
        const ssize_t n = read(output_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        buffer_.append(chunk, std::size_t(n));
    }
}

void ChildProcess::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    exitStatus(pid_);
    pid_ = -1;
}

int ChildProcess::wait() {
    if (pid_ <= 0)
        return -1;
    const int status = exitStatus(pid_);
    pid_ = -1;
    return status;
}

int runProgram(const std::vector<std::string>& argv) {
    pid_t pid = -1;
    auto args = argvPointers(argv);
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    return exitStatus(pid);
}

} // namespace vontal::testing
