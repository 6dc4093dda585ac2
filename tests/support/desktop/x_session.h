#pragma once

#include "tests/support/desktop/session_processes.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>
#include <xcb/xcb.h>

namespace vontal::testing {

// A private X11 desktop for tests: Xvfb, the openbox window manager and a session bus, each
// started by us and stopped by process id (also when the test process dies: they get SIGKILL).
// Programs started through it see that desktop and bus and nothing of the user's.
class XSession final : public SessionProcesses {
public:
    // Throws std::runtime_error if a piece does not come up; what started is stopped again.
    explicit XSession(std::filesystem::path workDir);
    ~XSession() override;

    const std::string& display() const { return display_; }
    const std::string& busAddress() const { return busAddress_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // A window the window manager manages (_NET_CLIENT_LIST) that satisfies `matches`.
    std::optional<xcb_window_t> waitForClient(const std::function<bool(xcb_window_t)>& matches,
                                              Deadline deadline);
    std::optional<xcb_window_t> waitForClientOf(pid_t pid, Deadline deadline);
    // Waits until _NET_ACTIVE_WINDOW satisfies `matches`.
    bool waitForActive(const std::function<bool(xcb_window_t)>& matches, Deadline deadline);
    std::optional<xcb_window_t> activeWindow();

    // xdotool windowactivate --sync.
    bool activate(xcb_window_t window);

    // A window of our own with the given properties (raw bytes, as a toolkit would set them),
    // mapped and managed by the window manager when this returns.
    struct WindowSpec {
        std::string wmClass; // "instance\0class\0"
        std::optional<std::string> gtkApplicationId;
        std::optional<xcb_window_t> transientFor;
        std::optional<std::uint32_t> pid;
    };
    xcb_window_t createWindow(const WindowSpec& description);

    std::optional<std::string> wmClassOf(xcb_window_t window);
    std::optional<xcb_window_t> transientForOf(xcb_window_t window);
    xcb_atom_t atom(const char* name);

    // The windows the window manager manages now (_NET_CLIENT_LIST).
    std::vector<xcb_window_t> clients();

private:
    // Blocks until the connection has events or the deadline passes; false at the deadline.
    bool waitForEvents(Deadline deadline);
    void stop();
    void nudgeWindowManager();

    std::string display_;
    std::string busAddress_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::map<std::string, xcb_atom_t> atoms_;
    std::uint32_t nudges_ = 0;
};

} // namespace vontal::testing
