// The extension's form for GNOME 45 and later, loaded as the Shell loads it (an ES module with a
// default class), with stand-ins for what only the Shell has: its extension base class, global
// (the display) and the window tracker. Checks that it starts, reports the focused application to
// vontal's bus name only, and only to vontal (this test, run from a copy of gjs named vontal),
// not to a program that took the name first, and stops following the focus while vontal is gone.
// dbus-run-session -- vontal -m modules_entry_test.js <stand-ins .gresource> <extension folder>
//   <squatter.js>

import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import System from 'system';

const [resourceFile, extensionDir, squatterScript] = System.programArgs;
let failures = 0;
function check(condition, what) {
    if (!condition) {
        failures++;
        printerr(`FAILED: ${what}`);
    }
}

// Turns the main loop until `done()` holds, at most `ms` milliseconds.
function until(done, ms = 2000) {
    const context = GLib.MainContext.default();
    const end = GLib.get_monotonic_time() + ms * 1000;
    while (!done() && GLib.get_monotonic_time() < end)
        context.iteration(false);
    return done();
}



// The display: a focus_window and the one notification the extension follows.
const handlers = new Map();
let nextHandler = 1;
const display = {
    focus_window: null,
    connect(signal, callback) {
        check(signal === 'notify::focus-window', `follows ${signal}`);
        handlers.set(nextHandler, callback);
        return nextHandler++;
    },
    disconnect(id) {
        handlers.delete(id);
    },
    focus(window) {
        this.focus_window = window;
        for (const callback of [...handlers.values()])
            callback();
    },
};
const window = (appId, wmClass) => ({appId, get_wm_class: () => wmClass});
globalThis.global = {display};
Shell.WindowTracker.get_default = () => ({
    get_window_app: w => (w.appId ? {get_id: () => w.appId} : null),
});
// After the Shell library's own resources: GLib registers them on the first look-up of any
// resource, and the last registered hides the ones before.
check(Gio.resources_get_info('/org/gnome/shell/ui/main.js', 0)[0], 'the Shell library loads');
Gio.Resource.load(resourceFile)._register();

// vontal: owns its name on a connection of its own and records what it is told, and by whom.
// The session bus is the test's own (dbus-run-session).
const vontal = Gio.DBusConnection.new_for_address_sync(
    Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, null),
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
    null, null);
const reports = [];
const registration = vontal.register_object('/org/vontal/vontal/Frontmost',
    Gio.DBusNodeInfo.new_for_xml(`<node><interface name="org.vontal.vontal.Frontmost">
        <method name="ActiveApplicationChanged"><arg type="s" direction="in"/></method>
        </interface></node>`).interfaces[0],
    (connection, sender, path, iface, method, parameters, invocation) => {
        reports.push({method, id: parameters.deep_unpack()[0], sender});
        invocation.return_value(null);
    }, null, null);
const owned = () => vontal.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus',
    'org.freedesktop.DBus', 'RequestName', new GLib.Variant('(su)', ['org.vontal.vontal', 4]),
    null, Gio.DBusCallFlags.NONE, -1, null);
const released = () => vontal.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus',
    'org.freedesktop.DBus', 'ReleaseName', new GLib.Variant('(s)', ['org.vontal.vontal']),
    null, Gio.DBusCallFlags.NONE, -1, null);

const {overview} = await import('resource:///org/gnome/shell/ui/main.js');
const module = await import(`file://${extensionDir}/extension.js`);
const metadata = JSON.parse(new TextDecoder().decode(
    GLib.file_get_contents(`${extensionDir}/metadata.json`)[1]));
check(metadata['shell-version'].every(v => Number(v) >= 45), 'metadata names GNOME 45 and later');
const extension = new module.default(metadata);

// Who counts as vontal: an executable named vontal wherever it is installed, also after an
// update replaced it; root, who can read the Shell anyway; nobody else.
const {isVontal} = await import(`file://${extensionDir}/reporter.js`);
check(isVontal('/usr/bin/vontal', 1000) && isVontal('/opt/v/bin/vontal (deleted)', 1000),
    'vontal wherever installed');
check(!isVontal('/usr/bin/python3.11', 1000) && !isVontal('/tmp/vontal-x', 1000) &&
    !isVontal('/tmp/vontal/gjs', 1000) && !isVontal(null, 1000), 'other programs are not vontal');
check(isVontal(null, 0), 'root');

// Enabled while vontal is not running: nothing is followed.
display.focus_window = window('org.gnome.TextEditor.desktop', 'gnome-text-editor');
extension.enable();
until(() => false, 300);
check(handlers.size === 0, 'no work while vontal is not running');

// Another program takes vontal's name first (as an ordinary user when the test runs as root, since
// root passes): the extension tells it nothing, and vontal waits in the name's queue.
const asRoot = new Gio.Credentials().get_unix_user() === 0;
const squatter = Gio.Subprocess.new(
    [...(asRoot ? ['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups'] : []), 'gjs',
        '-m', squatterScript], Gio.SubprocessFlags.STDERR_PIPE);
const squatterSays = new Gio.DataInputStream({base_stream: squatter.get_stderr_pipe()});
const [firstLine] = squatterSays.read_line_utf8(null);
check(firstLine === 'owner', `the squatter holds the name: ${firstLine}`);
until(() => false, 500);
display.focus(window('foot.desktop', 'foot'));
display.focus(window('org.gnome.TextEditor.desktop', 'gnome-text-editor'));
until(() => false, 300);
check(handlers.size === 0, 'no focus followed for a squatter');
const [queued] = vontal.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus',
    'org.freedesktop.DBus', 'RequestName', new GLib.Variant('(su)', ['org.vontal.vontal', 0]),
    null, Gio.DBusCallFlags.NONE, -1, null).deep_unpack();
check(queued === 2, `vontal waits in the queue: ${queued}`);
squatter.force_exit();
squatter.wait(null);
const heard = [];
for (let line; ([line] = squatterSays.read_line_utf8(null)) && line !== null;)
    heard.push(line);
check(heard.length === 0, `the squatter heard nothing: ${heard.join('; ')}`);

// vontal gets the name: told what is in front now, then each change.
check(until(() => reports.length === 1), 'the front application on vontal\'s arrival');
check(reports[0]?.id === 'org.gnome.TextEditor', `desktop id without .desktop: ${reports[0]?.id}`);
check(reports[0]?.method === 'ActiveApplicationChanged', 'the method');
display.focus(window('foot.desktop', 'foot'));
check(until(() => reports.length === 2) && reports[1].id === 'foot', 'a switch');
display.focus(window('foot.desktop', 'foot'));
display.focus(null);
check(until(() => reports.length === 3) && reports[2].id === '', 'no window: ""');
display.focus(window('window:7', 'xclock'));
check(until(() => reports.length === 4) && reports[3].id === 'xclock',
    'a window without a desktop entry: its class');
until(() => false, 300);
check(reports.length === 4, `a second window of the same application is no report: ${reports.length}`);

// The overview is the Shell's own: no application while it shows, the window's again after.
overview.show(true);
check(until(() => reports.length === 5) && reports[4].id === '', 'the overview: ""');
display.focus(window('foot.desktop', 'foot'));
until(() => false, 300);
check(reports.length === 5, 'focus under the overview is no report');
overview.show(false);
check(until(() => reports.length === 6) && reports[5].id === 'foot', 'back from the overview');

// vontal quits: the extension stops following the focus; back again, it hears the state first.
released();
check(until(() => handlers.size === 0 && overview.handlerCount() === 0),
    'stops following when vontal goes');
owned();
check(until(() => reports.length === 7) && reports[6].id === 'foot', 'told again on return');

extension.disable();
check(handlers.size === 0 && overview.handlerCount() === 0, 'disable leaves nothing connected');
display.focus(window('org.gnome.TextEditor.desktop', 'gnome-text-editor'));
until(() => false, 300);
check(reports.length === 7, 'nothing reported once disabled');

vontal.unregister_object(registration);
vontal.close_sync(null);
if (failures === 0)
    print(`ok: ${reports.length} reports`);
System.exit(failures > 0 ? 1 : 0);
