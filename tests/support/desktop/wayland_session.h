#pragma once

#include "tests/support/desktop/session_processes.h"

#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vontal::testing {

// A private Wayland desktop for tests and a session bus: headless sway (a wlroots compositor, with
// Xwayland for X11 programs), headless labwc (a second wlroots compositor, Wayland programs only,
// windows focused with wlrctl), headless weston (a compositor without wlroots' protocols), or
// headless KWin (with Xwayland; run from a copy, since the installed binary carries a file
// capability that containers refuse to grant), or headless GNOME Shell (with a system bus of its
// own, where python-dbusmock stands in for logind).
// Compositors refuse root, so when the tests run as root the compositor and the programs on it
// run as the unprivileged user kTestUser, created if absent; the test process itself stays what
// it is and reaches the compositor through the socket's full path.
class WaylandSession final : public SessionProcesses {
public:
    static constexpr const char* kTestUser = "vontaltest";
    enum class Compositor { Sway, Labwc, Weston, Kwin, Gnome };

    // GNOME Shell only: extension folders (named by their uuid) installed system-wide before the
    // Shell starts, and the uuids switched on in its settings.
    struct GnomeSetup {
        std::vector<std::filesystem::path> extensions;
        std::vector<std::string> enabled;
    };

    // Throws std::runtime_error if a piece does not come up; what started is stopped again.
    explicit WaylandSession(std::filesystem::path workDir, Compositor compositor = Compositor::Sway,
                            GnomeSetup gnome = {});
    ~WaylandSession() override;

    // WAYLAND_DISPLAY for a client of this compositor: the socket's full path.
    const std::string& waylandDisplay() const { return waylandDisplay_; }
    const std::string& busAddress() const { return busAddress_; }
    // The X display Xwayland serves for sway.
    const std::string& xDisplay() const { return xDisplay_; }

    // sway only: swaymsg with these arguments; true if sway accepted the command.
    bool swaymsg(const std::vector<std::string>& arguments);
    // Focuses the window matching the criteria, as a user's click would: sway's criteria
    // (app_id="^foot$", pid=42), or on labwc wlrctl's (app_id:foot, title:notes).
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

    // KWin only: runs this JavaScript as a KWin script of its own; true once KWin started it.
    // Text the script print()s goes to KWin's log, see kwinPrinted().
    bool kwinScript(const std::string& source);
    // KWin only: the last line a script printed that starts with `prefix`, once one has.
    std::optional<std::string> kwinPrinted(const std::string& prefix, Deadline deadline);
    // KWin only: activates the window of this process id, desktop file name or resource class
    // through a test-only KWin script, as a user's click would; false if KWin has no such window
    // by the deadline.
    bool kwinActivate(const std::string& wanted, Deadline deadline);
    // KWin only: ends KWin and starts it again on the same socket (its programs are gone).
    void restartKwin();
    pid_t compositorPid() const { return compositor_; }

    // GNOME only: calls a method of the Shell's connection (gdbus call --session -d
    // org.gnome.Shell); its output, nullopt if the call failed.
    std::optional<std::string> gnomeCall(const std::string& path, const std::string& method,
                                         const std::vector<std::string>& arguments = {});
    // GNOME only: the data directory the Shell finds system-wide extensions in (share/).
    const std::filesystem::path& gnomeDataDir() const { return gnomeData_; }
    // The installed GNOME Shell's version ("48.7"); empty when there is none.
    static std::string gnomeShellVersion();
    // The extension folder below `forms` whose metadata.json names the installed Shell's
    // version, as the Shell itself picks among an extension's forms; empty if none does.
    static std::filesystem::path gnomeExtensionForm(const std::filesystem::path& forms);

private:
    void startGnome(const GnomeSetup& setup, Deadline deadline);
    void startKwin(Deadline deadline);
    // Calls org.kde.KWin /Scripting with dbus-send; its output, nullopt if the call failed.
    std::optional<std::string> kwinScripting(const std::vector<std::string>& arguments);
    std::optional<std::string> tree();
    // The focused window's node in sway's tree; an empty object when none has the focus.
    QJsonObject focusedNode();

    Compositor kind_;
    pid_t compositor_ = 0;
    std::string waylandDisplay_;
    std::string busAddress_;
    std::string xDisplay_;
    std::filesystem::path home_;
    unsigned kwinScripts_ = 0;
    unsigned kwinStarts_ = 0;
    std::filesystem::path gnomeData_;
};

} // namespace vontal::testing
