// vontal's extension for GNOME Shell 43 and 44, which load extensions as classic scripts. All it
// does is in reporter.js, shared with the form for GNOME 45 and later; a script can load that
// module only asynchronously, so an extension switched off before it arrives starts nothing.
/* exported init */

const {Gio, GLib, Shell} = imports.gi;
const ExtensionUtils = imports.misc.extensionUtils;
const Main = imports.ui.main;

class VontalExtension {
    constructor(dir) {
        this._dir = dir;
        this._reporter = null;
        this._generation = 0;
    }

    enable() {
        const generation = ++this._generation;
        import(this._dir.get_child('reporter.js').get_uri()).then(({FrontmostReporter}) => {
            if (generation !== this._generation)
                return;
            this._reporter = new FrontmostReporter({
                gio: Gio,
                glib: GLib,
                connection: Gio.DBus.session,
                display: global.display,
                tracker: Shell.WindowTracker.get_default(),
                overview: Main.overview,
            });
            this._reporter.enable();
        }).catch(error => logError(error, 'vontal: cannot load reporter.js'));
    }

    disable() {
        ++this._generation;
        this._reporter?.disable();
        this._reporter = null;
    }
}

function init() {
    return new VontalExtension(ExtensionUtils.getCurrentExtension().dir);
}
