#pragma once

// sway's IPC socket, spoken to directly: a command sent this way costs no process start, so the
// time from sending it to the focus change is the compositor's alone.

#include <optional>
#include <string>

namespace vontal::e2e {

class SwayIpc {
public:
    // Connects to the socket at `path`; connected() tells whether it worked.
    explicit SwayIpc(const std::string& path);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    bool connected() const { return fd_ >= 0; }
    // Sends a command (RUN_COMMAND) without waiting for the answer.
    bool send(const std::string& command);
    // The answer to the command sent last (JSON), nullopt if the connection failed.
    std::optional<std::string> answer();

private:
    int fd_ = -1;
};

} // namespace vontal::e2e
