#pragma once

#include "tests/x11/session_processes.h"

#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vontal::testing {

// A private Wayland desktop for tests and a session bus: headless sway (a wlroots compositor, with
// Xwayland for X11 programs), or headless weston (a compositor without wlroots' protocols).
// Compositors refuse root, so when the tests run as root the compositor and the programs on it
// run as the unprivileged user kTestUser, created if absent; the test process itself stays what
// it is and reaches the compositor through the socket's full path.
class WaylandSession final : public SessionProcesses {
public:
    static constexpr const char* kTestUser = "vontaltest";
    enum class Compositor { Sway, Weston };

    // Throws std::runtime_error if a piece does not come up; what started is stopped again.
    explicit WaylandSession(std::filesystem::path workDir,
                            Compositor compositor = Compositor::Sway);
    ~WaylandSession() override;

    // WAYLAND_DISPLAY for a client of this compositor: the socket's full path.
    const std::string& waylandDisplay() const { return waylandDisplay_; }
    const std::string& busAddress() const { return busAddress_; }
    // The X display Xwayland serves for sway.
    const std::string& xDisplay() const { return xDisplay_; }

    // sway only: swaymsg with these arguments; true if sway accepted the command.
    bool swaymsg(const std::vector<std::string>& arguments);
    // Focuses the window matching the criteria (e.g. app_id="^foot$"), as a user's click would.
    bool focus(const std::string& criteria);
    // Waits until a window with this app_id (Wayland) or X class (Xwayland) is mapped.
    bool waitForWindow(const std::string& appIdOrClass, Deadline deadline);
    // Waits until a mapped window's node in sway's tree (with "pid", "app_id", "shell", "name",
    // "window_properties") satisfies `matches`; that node, or nullopt at the deadline.
    std::optional<QJsonObject> waitForNode(const std::function<bool(const QJsonObject&)>& matches,
                                           Deadline deadline);
    // The focused window's app_id or X class; nullopt when no window has the focus.
    std::optional<std::string> focusedWindow();
    // The focused window's title; nullopt when no window has the focus.
    std::optional<std::string> focusedTitle();

    // Ends the compositor now (its programs lose their display).
    void killCompositor();

private:
    std::optional<std::string> tree();
    // The focused window's node in sway's tree; an empty object when none has the focus.
    QJsonObject focusedNode();

    pid_t compositor_ = 0;
    std::string waylandDisplay_;
    std::string busAddress_;
    std::string xDisplay_;
};

} // namespace vontal::testing
