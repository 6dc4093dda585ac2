// Test only, never installed: the form for GNOME Shell 45 and later (ES modules) of the extension
// that lets a test activate a window of the headless Shell, as a user's click would, and ask which
// window has the focus.

import Gio from 'gi://Gio';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';

const INTERFACE = `<node><interface name="org.vontal.test.Focus">
  <method name="Activate"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
  <method name="Focused"><arg type="s" direction="out"/></method>
</interface></node>`;

// "<application id>|<title>" of a window.
function describe(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    return `${app ? app.get_id() : ''}|${window.get_title()}`;
}

export default class TestFocus extends Extension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._object.export(Gio.DBus.session, '/org/vontal/test/Focus');
    }

    disable() {
        this._object?.unexport();
        this._object = null;
    }

    // The first window whose title is `wanted`, or whose application id is `wanted`.desktop.
    Activate(wanted) {
        for (const window of global.display.list_all_windows()) {
            const [id, title] = describe(window).split('|');
            if (title === wanted || id === `${wanted}.desktop`) {
                Main.activateWindow(window);
                return true;
            }
        }
        return false;
    }

    Focused() {
        const window = global.display.focus_window;
        return window ? describe(window) : '';
    }
}
