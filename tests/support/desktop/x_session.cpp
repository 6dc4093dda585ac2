#include "tests/support/desktop/x_session.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vontal::testing {

namespace {

using namespace std::chrono_literals;

int remainingMs(Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

XSession::XSession(std::filesystem::path workDir) : SessionProcesses(std::move(workDir)) {
    std::filesystem::create_directories(workDir_ / "config");
    setVariable("XDG_CONFIG_HOME", (workDir_ / "config").string());
    setVariable("XDG_SESSION_TYPE", "x11");
    setVariable("WAYLAND_DISPLAY", std::nullopt);
    // GTK programs: settings in memory rather than a dconf service, no accessibility bus.
    setVariable("GSETTINGS_BACKEND", "memory");
    setVariable("NO_AT_BRIDGE", "1");
    try {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        // Without -noreset the server resets when its last client leaves, racing the window
        // manager's start.
        spawn({"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0",
               "1280x800x24"},
              pipeFds[1], "xvfb.log");
        close(pipeFds[1]);
        const std::string number = readLine(pipeFds[0], deadlineIn(15s));
        close(pipeFds[0]);
        if (number.empty())
            throw std::runtime_error("Xvfb did not start");
        display_ = ":" + number;
        setVariable("DISPLAY", display_);

        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=3"},
              pipeFds[1], "dbus.log");
        close(pipeFds[1]);
        busAddress_ = readLine(pipeFds[0], deadlineIn(15s));
        close(pipeFds[0]);
        if (busAddress_.empty())
            throw std::runtime_error("dbus-daemon did not start");
        setVariable("DBUS_SESSION_BUS_ADDRESS", busAddress_);

        int screenNumber = 0;
        connection_ = xcb_connect(display_.c_str(), &screenNumber);
        if (xcb_connection_has_error(connection_) != 0)
            throw std::runtime_error("cannot connect to Xvfb");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);

        spawn({"openbox", "--sm-disable"}, -1, "openbox.log");
        const auto deadline = deadlineIn(15s);
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        for (;;) {
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1),
                nullptr));
            if (reply && xcb_get_property_value_length(reply.get()) == 4)
                break;
            if (!waitForEvents(deadline))
                throw std::runtime_error("openbox did not start");
        }
    } catch (...) {
        stop();
        throw;
    }
}

XSession::~XSession() {
    stop();
}

void XSession::stop() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
    stopAll();
}

xcb_atom_t XSession::atom(const char* name) {
    if (const auto it = atoms_.find(name); it != atoms_.end())
        return it->second;
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    atoms_[name] = value;
    return value;
}

bool XSession::waitForEvents(Deadline deadline) {
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        std::free(event);
        any = true;
    }
    if (any)
        return true;
    pollfd p{xcb_get_file_descriptor(connection_), POLLIN, 0};
    if (poll(&p, 1, remainingMs(deadline)) <= 0)
        return false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
        std::free(event);
    return true;
}

std::vector<xcb_window_t> XSession::clients() {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 1024),
        nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return {windows, windows + xcb_get_property_value_length(reply.get()) / 4};
}

void XSession::nudgeWindowManager() {
    const std::uint32_t value = ++nudges_;
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, atom("_VONTAL_TEST_NUDGE"),
                        XCB_ATOM_CARDINAL, 32, 1, &value);
    xcb_flush(connection_);
}

std::optional<xcb_window_t>
XSession::waitForClient(const std::function<bool(xcb_window_t)>& matches, Deadline deadline) {
    for (;;) {
        for (const auto window : clients()) {
            if (matches(window))
                return window;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        // openbox can leave a map request it read during a round trip in its queue until the
        // next event reaches it; a root property change is such an event.
        if (!waitForEvents(std::min(deadline, deadlineIn(200ms))))
            nudgeWindowManager();
    }
}

std::optional<xcb_window_t> XSession::waitForClientOf(pid_t pid, Deadline deadline) {
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    return waitForClient(
        [&](xcb_window_t window) {
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                connection_,
                xcb_get_property(connection_, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                nullptr));
            return reply && xcb_get_property_value_length(reply.get()) == 4 &&
                   *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())) ==
                       static_cast<std::uint32_t>(pid);
        },
        deadline);
}

std::optional<xcb_window_t> XSession::activeWindow() {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool XSession::waitForActive(const std::function<bool(xcb_window_t)>& matches, Deadline deadline) {
    for (;;) {
        if (const auto active = activeWindow(); active && matches(*active))
            return true;
        if (!waitForEvents(deadline))
            return false;
    }
}

bool XSession::activate(xcb_window_t window) {
    return run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
}

xcb_window_t XSession::createWindow(const WindowSpec& description) {
    const xcb_window_t window = xcb_generate_id(connection_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                         std::uint32_t length, const void* data) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, format,
                            length, data);
    };
    set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
        static_cast<std::uint32_t>(description.wmClass.size()), description.wmClass.data());
    if (description.gtkApplicationId)
        set(atom("_GTK_APPLICATION_ID"), atom("UTF8_STRING"), 8,
            static_cast<std::uint32_t>(description.gtkApplicationId->size()),
            description.gtkApplicationId->data());
    if (description.transientFor)
        set(XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &*description.transientFor);
    if (description.pid)
        set(atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &*description.pid);
    // ICCCM input hint: the window takes the keyboard focus when activated.
    const std::uint32_t hints[9] = {1u /* InputHint */, 1u};
    set(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    xcb_map_window(connection_, window);
    xcb_flush(connection_);
    if (!waitForClient([&](xcb_window_t client) { return client == window; }, deadlineIn(10s)))
        throw std::runtime_error("the window manager did not take our window");
    return window;
}

std::optional<std::string> XSession::wmClassOf(xcb_window_t window) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) == 0)
        return std::nullopt;
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::optional<xcb_window_t> XSession::transientForOf(xcb_window_t window) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

} // namespace vontal::testing
