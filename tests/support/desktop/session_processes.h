#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vontal::testing {

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline deadlineIn(std::chrono::milliseconds timeout) {
    return std::chrono::steady_clock::now() + timeout;
}

// Reads one line a child writes on a pipe when it is ready (display number, bus address); empty
// when none came by the deadline.
std::string readLine(int fd, Deadline deadline);

// The processes of a private test desktop (servers, compositor, programs), each started by us with
// the desktop's environment and stopped by process id, last started first (also when the test
// process dies: they get SIGKILL). Their output goes to log files in the work directory.
class SessionProcesses {
public:
    explicit SessionProcesses(std::filesystem::path workDir);
    virtual ~SessionProcesses();
    SessionProcesses(const SessionProcesses&) = delete;
    SessionProcesses& operator=(const SessionProcesses&) = delete;

    // Starts a program on this desktop; it is stopped with the session.
    pid_t launch(const std::vector<std::string>& argv);
    // Runs a short command to completion (at most 10 s); true if it exited with status 0.
    bool run(const std::vector<std::string>& argv);
    // The same, giving what the command wrote on standard output; nullopt if it failed.
    std::optional<std::string> output(const std::vector<std::string>& argv);

    const std::vector<std::string>& environment() const { return environment_; }
    std::optional<std::string> variable(const std::string& name) const;
    const std::filesystem::path& workDir() const { return workDir_; }

protected:
    void setVariable(const std::string& name, const std::optional<std::string>& value);
    // Programs started from now on run as this user (a compositor that refuses root).
    void runAs(uid_t uid, gid_t gid) { user_ = {uid, gid}; }
    // `passFd` becomes descriptor 3 of the child (or none when negative); `outputFd` its standard
    // output instead of the log.
    pid_t spawn(const std::vector<std::string>& argv, int passFd, const std::string& logName,
                int outputFd = -1);
    bool waitForExit(pid_t pid);
    void stopAll();

    std::filesystem::path workDir_;
    std::vector<std::string> environment_;
    std::vector<pid_t> children_;

private:
    struct User {
        uid_t uid;
        gid_t gid;
    };
    std::optional<User> user_;
};

} // namespace vontal::testing
