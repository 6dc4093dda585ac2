#pragma once

#include "tests/support/desktop/session_processes.h"

#include <string>

namespace vontal::testing {

// A private session bus and nothing else, for tests of what vontal serves on it. Its address is
// DBUS_SESSION_BUS_ADDRESS for the programs launched on it.
class SessionBus final : public SessionProcesses {
public:
    // Throws std::runtime_error if dbus-daemon does not come up.
    explicit SessionBus(std::filesystem::path workDir);
    ~SessionBus() override;

    const std::string& address() const { return address_; }

private:
    std::string address_;
};

} // namespace vontal::testing
