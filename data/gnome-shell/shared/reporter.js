// Tells vontal which application is in front. Loaded unchanged by both forms of the extension
// (GNOME 43-44 and GNOME 45+), which only hand it the Shell's objects.
//
// The report is a unicast method call to vontal's well-known name, made only while that name has
// an owner: a broadcast signal would tell every program in the session what the user is looking
// at, which GNOME keeps from ordinary programs on purpose. While vontal is not running the
// extension follows nothing.

export const BUS_NAME = 'org.vontal.vontal';
export const OBJECT_PATH = '/org/vontal/vontal/Frontmost';
export const INTERFACE = 'org.vontal.vontal.Frontmost';
export const METHOD = 'ActiveApplicationChanged';

// The desktop id vontal looks an application up by: the desktop file name without ".desktop".
// The tracker names windows without a desktop entry "window:N"; for those the window's own
// application id or class is the best hint. "" when no application is in front.
export function applicationId(window, tracker) {
    if (!window)
        return '';
    const app = tracker.get_window_app(window);
    const id = app ? app.get_id() : null;
    if (id && !id.startsWith('window:'))
        return id.endsWith('.desktop') ? id.slice(0, -'.desktop'.length) : id;
    return window.get_gtk_application_id?.() || window.get_wm_class?.() || '';
}

export class FrontmostReporter {
    // gio: the Gio namespace; glib: the GLib namespace; connection: the session bus;
    // display: global.display; tracker: Shell.WindowTracker's default instance; overview:
    // Main.overview, the Shell's own surface in front of every window.
    constructor({gio, glib, connection, display, tracker, overview}) {
        this._gio = gio;
        this._glib = glib;
        this._connection = connection;
        this._display = display;
        this._tracker = tracker;
        this._overview = overview;
        this._watch = 0;
        this._focusHandler = 0;
        this._overviewHandlers = [];
        this._inOverview = false;
        this._owner = null;
        this._lastSent = null;
    }

    enable() {
        this._watch = this._gio.bus_watch_name_on_connection(this._connection, BUS_NAME,
            this._gio.BusNameWatcherFlags.NONE,
            (_connection, _name, owner) => this._vontalAppeared(owner),
            () => this._vontalVanished());
    }

    disable() {
        if (this._watch)
            this._gio.bus_unwatch_name(this._watch);
        this._watch = 0;
        this._vontalVanished();
    }

    _vontalAppeared(owner) {
        this._owner = owner;
        this._lastSent = null;
        if (!this._focusHandler) {
            this._focusHandler = this._display.connect('notify::focus-window',
                () => this._report());
            // The focused window keeps its focus under the overview, yet no application is in
            // front while the overview is shown.
            this._inOverview = this._overview.visible;
            this._overviewHandlers = [
                this._overview.connect('showing', () => this._overviewShown(true)),
                this._overview.connect('hidden', () => this._overviewShown(false)),
            ];
        }
        // A vontal that starts after the Shell learns what is in front now.
        this._report();
    }

    _overviewShown(shown) {
        this._inOverview = shown;
        this._report();
    }

    _vontalVanished() {
        if (this._focusHandler)
            this._display.disconnect(this._focusHandler);
        this._focusHandler = 0;
        for (const handler of this._overviewHandlers)
            this._overview.disconnect(handler);
        this._overviewHandlers = [];
        this._owner = null;
    }

    _report() {
        if (!this._owner)
            return;
        const id = this._inOverview ? ''
            : applicationId(this._display.focus_window, this._tracker);
        if (id === this._lastSent)
            return;
        this._lastSent = id;
        // Addressed to vontal's name only; without auto-start it never launches vontal, and
        // without a callback the call asks for no reply.
        this._connection.call(BUS_NAME, OBJECT_PATH, INTERFACE, METHOD,
            new this._glib.Variant('(s)', [id]), null, this._gio.DBusCallFlags.NO_AUTO_START,
            -1, null, null);
    }
}
