#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vontal::testing {

struct SpawnOptions {
    std::vector<std::string> argv;
    // The whole environment of the new process, as NAME=value.
    std::vector<std::string> environment;
    // Where standard output and standard error go; empty means /dev/null. Standard input is
    // always /dev/null.
    std::filesystem::path stdoutFile;
    std::filesystem::path stderrFile;
};

struct Reaped {
    pid_t pid;
    int status; // as waitpid reports it
};

// Makes the test process the reaper of everything its children leave behind, so that programs a
// program under test starts in the background can be waited for, checked and ended by their ids.
// Waiting blocks on SIGCHLD with a deadline; blockChildSignal() must have run before any thread
// was started (the test main does it).
class Descendants {
public:
    Descendants();
    // Ends, by id, every descendant still running and reaps it.
    ~Descendants();
    Descendants(const Descendants&) = delete;
    Descendants& operator=(const Descendants&) = delete;

    pid_t spawn(const SpawnOptions& options);

    // The wait status of pid once it has ended, or nothing if the deadline passed first. Other
    // descendants that end meanwhile are reaped and recorded.
    std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds timeout);
    // True once no descendant is left; false if one still runs at the deadline.
    bool waitForAll(std::chrono::milliseconds timeout);
    // True once every descendant but the survivor has ended.
    bool waitForAllBut(pid_t survivor, std::chrono::milliseconds timeout);
    // Waits until a running descendant's executable is the given file; its id, or nothing.
    std::optional<pid_t> waitForProgram(const std::filesystem::path& executable,
                                        std::chrono::milliseconds timeout);

    // Every process reaped so far, in the order they were reaped.
    const std::vector<Reaped>& reaped() const { return reaped_; }
    bool isRunning(pid_t pid) const;
    // Children of this process now (orphans re-parented to us included).
    std::vector<pid_t> children() const;

private:
    void reapReady();
    bool waitUntil(const auto& done, std::chrono::milliseconds timeout);

    std::vector<Reaped> reaped_;
    bool noChildren_ = false;
};

void blockChildSignal();
bool exitedWith(int status, int code);

} // namespace vontal::testing
