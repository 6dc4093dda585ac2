#include "tests/support/desktop/session_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace vontal::testing {

using namespace std::chrono_literals;

SessionBus::SessionBus(std::filesystem::path workDir) : SessionProcesses(std::move(workDir)) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=3"}, pipeFds[1],
          "dbus.log");
    close(pipeFds[1]);
    // The daemon prints its address on one line once it listens.
    const auto deadline = deadlineIn(15s);
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{pipeFds[0], POLLIN, 0};
        char buffer[256];
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    if (text.find('\n') == std::string::npos) {
        stopAll();
        throw std::runtime_error("dbus-daemon did not start");
    }
    address_ = text.substr(0, text.find('\n'));
    setVariable("DBUS_SESSION_BUS_ADDRESS", address_);
}

SessionBus::~SessionBus() {
    stopAll();
}

} // namespace vontal::testing
