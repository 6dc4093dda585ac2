// Test only, never installed: lets a test activate a window of the headless Shell, as a user's
// click would, and ask which window has the focus.
/* exported init */

const {Gio, Shell} = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="org.vontal.test.Focus">
  <method name="Activate"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
  <method name="Focused"><arg type="s" direction="out"/></method>
</interface></node>`;

// "<application id>|<title>" of a window.
function describe(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    return `${app ? app.get_id() : ''}|${window.get_title()}`;
}

class TestFocus {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._object.export(Gio.DBus.session, '/org/vontal/test/Focus');
    }

    disable() {
        this._object.unexport();
    }

    // The first window whose title is `wanted`, or whose application id is `wanted`.desktop.
    Activate(wanted) {
        for (const actor of global.get_window_actors()) {
            const window = actor.meta_window;
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

function init() {
    return new TestFocus();
}
