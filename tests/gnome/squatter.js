// A program that takes vontal's bus name before vontal does and writes down every call it gets,
// one line each on standard error (unbuffered), until it is stopped. The extension must tell it
// nothing.
// gjs squatter.js

import Gio from 'gi://Gio';
import GLib from 'gi://GLib';

const connection = Gio.DBus.session;
connection.register_object('/org/vontal/vontal/Frontmost',
    Gio.DBusNodeInfo.new_for_xml(`<node><interface name="org.vontal.vontal.Frontmost">
        <method name="ActiveApplicationChanged"><arg type="s" direction="in"/></method>
        </interface></node>`).interfaces[0],
    (_connection, sender, _path, _iface, _method, parameters, invocation) => {
        printerr(`call ${sender} ${parameters.deep_unpack()[0]}`);
        invocation.return_value(null);
    }, null, null);
const [reply] = connection.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus',
    'org.freedesktop.DBus', 'RequestName', new GLib.Variant('(su)', ['org.vontal.vontal', 4]),
    null, Gio.DBusCallFlags.NONE, -1, null).deep_unpack();
printerr(reply === 1 ? 'owner' : `not owner: ${reply}`);
new GLib.MainLoop(null, false).run();
