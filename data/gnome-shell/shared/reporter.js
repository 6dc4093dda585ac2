// Tells vontal which application is in front. Loaded unchanged by both forms of the extension
// (GNOME 43-44 and GNOME 45+), which only hand it the Shell's objects.
//
// The report is a unicast method call to vontal's well-known name, made only while that name has
// an owner: a broadcast signal would tell every program in the session what the user is looking
// at, which GNOME keeps from ordinary programs on purpose. While vontal is not running the
// extension follows nothing.
//
// Any program of the session may take the name before vontal does, or wait in its queue. So the
// reports go only to an owner whose process runs an executable named "vontal" (the bus tells the
// process, /proc its executable), and to that owner's unique name, which no later owner can
// inherit. The basename, not a path: vontal installs into any prefix, and a program that can
// plant a file named vontal can as well change this extension, which lives in the user's files.
// A process of root passes too: root can read the Shell's memory anyway. The verdict is kept for
// the owner, so a switch costs no extra bus call.

export const BUS_NAME = 'org.vontal.vontal';
export const OBJECT_PATH = '/org/vontal/vontal/Frontmost';
export const INTERFACE = 'org.vontal.vontal.Frontmost';
export const METHOD = 'ActiveApplicationChanged';
export const EXECUTABLE = 'vontal';

// Whether an owner whose process runs `executable` (the target of /proc/<pid>/exe, null when
// unreadable) as user `uid` is vontal. The kernel marks a replaced executable " (deleted)": an
// update of vontal while it runs.
export function isVontal(executable, uid) {
    if (uid === 0)
        return true;
    if (!executable)
        return false;
    const path = executable.replace(/ \(deleted\)$/, '');
    return path.slice(path.lastIndexOf('/') + 1) === EXECUTABLE;
}

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
        // The owner whose process is being looked at, and the last verdict.
        this._candidate = null;
        this._verdict = {owner: null, vontal: false};
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
        // A new owner hears nothing before it is known to be vontal.
        if (this._owner !== owner)
            this._vontalVanished();
        this._candidate = owner;
        if (this._verdict.owner === owner) {
            if (this._verdict.vontal)
                this._follow(owner);
            return;
        }
        this._connection.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
            'org.freedesktop.DBus', 'GetConnectionCredentials',
            new this._glib.Variant('(s)', [owner]), null, this._gio.DBusCallFlags.NONE, -1, null,
            (connection, result) => {
                let executable = null;
                let uid = -1;
                try {
                    const [credentials] = connection.call_finish(result).recursiveUnpack();
                    uid = credentials.UnixUserID ?? -1;
                    executable = this._glib.file_read_link(`/proc/${credentials.ProcessID}/exe`);
                } catch (_error) {
                    // Gone meanwhile, or not readable: not known to be vontal.
                }
                if (this._candidate !== owner)
                    return;
                const vontal = isVontal(executable, uid);
                this._verdict = {owner, vontal};
                if (vontal)
                    this._follow(owner);
                else
                    console.warn(`vontal: ${BUS_NAME} is held by ${executable ?? 'an unknown ' +
                        'process'} (${owner}), not by vontal: it is told nothing`);
            });
    }

    _follow(owner) {
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
        this._candidate = null;
    }

    _report() {
        if (!this._owner)
            return;
        const id = this._inOverview ? ''
            : applicationId(this._display.focus_window, this._tracker);
        if (id === this._lastSent)
            return;
        this._lastSent = id;
        // Addressed to vontal's unique name only: a program queued for the well-known name
        // does not inherit it when vontal quits. Without a callback the call asks for no reply.
        this._connection.call(this._owner, OBJECT_PATH, INTERFACE, METHOD,
            new this._glib.Variant('(s)', [id]), null, this._gio.DBusCallFlags.NO_AUTO_START,
            -1, null, null);
    }
}
