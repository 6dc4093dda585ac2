#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vontal::testing {

// A child program whose standard output comes back through a pipe, one number per line.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line as a number; nothing at end of output.
    std::optional<long> readNumber();
    // SIGKILL, then reap.
    void kill();
    // Waits for the end; the exit status, 128 + the signal that ended it, or -1.
    int wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
};

// Runs a program to its end; its exit status as wait() gives it.
int runProgram(const std::vector<std::string>& argv);

} // namespace vontal::testing
