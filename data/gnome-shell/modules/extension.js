// vontal's extension for GNOME Shell 45 and later, which load extensions as ES modules. All it
// does is in reporter.js, shared with the form for GNOME 43 and 44.

import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';

import {FrontmostReporter} from './reporter.js';

export default class VontalExtension extends Extension {
    enable() {
        this._reporter = new FrontmostReporter({
            gio: Gio,
            glib: GLib,
            connection: Gio.DBus.session,
            display: global.display,
            tracker: Shell.WindowTracker.get_default(),
            overview: Main.overview,
        });
        this._reporter.enable();
    }

    disable() {
        this._reporter?.disable();
        this._reporter = null;
    }
}
