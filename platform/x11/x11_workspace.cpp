#include "platform/x11/x11_workspace.h"

#include "platform/frontmost/gio_application_catalog.h"
#include "platform/qt/services/qt_timers.h"
#include "platform/x11/application_resolver.h"
#include "platform/x11/xcb_window_inspector.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <unistd.h>

namespace vontal {

namespace {

std::string localHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

} // namespace

struct X11Workspace::Impl {
    Impl(Diagnostics& diagnostics, xcb_connection_t* connection, WindowId root,
         const XcbAtoms& atoms)
        : diagnostics(diagnostics), connection(connection), root(root), atoms(atoms),
          inspector(connection, atoms),
          resolver(catalog, &ApplicationResolver::executableFromProc, localHostName(), root),
          notifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read) {
        QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [this] { drain(); });
    }

    ~Impl() {
        notifier.setEnabled(false);
        xcb_disconnect(connection);
    }

    // The first read follows the event selection, so a change in between is not lost; the
    // application already in front is where we start, not an activation.
    void start() {
        std::optional<ResolvedApplication> app;
        if (const auto window = inspector.activeWindow(root); window && *window != 0)
            app = resolver.resolve(inspector, *window);
        if (app)
            engine.cameToFront(*app);
        else
            engine.nothingInFront();
        // Replies above may have pulled events into xcb's queue, which does not wake the notifier.
        drain();
    }

    void drain() {
        for (;;) {
            bool activeWindowChanged = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                    const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
                    if (property->window == root && property->atom == atoms.netActiveWindow)
                        activeWindowChanged = true;
                }
                std::free(event);
            }
            if (xcb_connection_has_error(connection) != 0) {
                connectionLost();
                return;
            }
            if (!activeWindowChanged)
                return;
            // A burst of changes is read once, at its latest value.
            activeWindowMayHaveChanged();
        }
    }

    void activeWindowMayHaveChanged() {
        const auto window = inspector.activeWindow(root);
        if (!window)
            return;
        if (*window == 0) {
            engine.nothingInFront();
            return;
        }
        // A window that vanished before we could look at it is followed by the next focus change.
        if (const auto app = resolver.resolve(inspector, *window))
            engine.cameToFront(*app);
    }

    void connectionLost() {
        notifier.setEnabled(false);
        engine.forget();
        diagnostics.line("X11 connection lost: application activations are no longer observed");
    }

    Diagnostics& diagnostics;
    xcb_connection_t* connection;
    WindowId root;
    XcbAtoms atoms;
    GioApplicationCatalog catalog;
    QtTimers timers;
    FrontmostEngine engine{catalog, timers};
    XcbWindowInspector inspector;
    ApplicationResolver resolver;
    QSocketNotifier notifier;
};

std::unique_ptr<X11Workspace> X11Workspace::connect(Diagnostics& diagnostics,
                                                    const char* displayName) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    const auto fail = [&](const char* reason) -> std::unique_ptr<X11Workspace> {
        xcb_disconnect(connection);
        diagnostics.line(
            std::string("Application activations are not observed on this desktop yet (") + reason +
            ")");
        return nullptr;
    };
    if (xcb_connection_has_error(connection) != 0)
        return fail("cannot connect to the X display");

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return fail("the X display has no such screen");
    const WindowId root = screens.data->root;

    const auto atoms = XcbAtoms::intern(connection);
    if (!atoms)
        return fail("cannot connect to the X display");

    // Select before the first read. Other clients' selections on the root are theirs; ours only
    // adds property changes on our own connection.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);

    auto impl = std::make_unique<Impl>(diagnostics, connection, root, *atoms);
    impl->start();
    return std::unique_ptr<X11Workspace>(new X11Workspace(std::move(impl)));
}

X11Workspace::X11Workspace(std::unique_ptr<Impl> impl)
    : FrontmostWorkspace(impl->engine), impl_(std::move(impl)) {}

X11Workspace::~X11Workspace() = default;

} // namespace vontal
