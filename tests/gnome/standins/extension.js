// Stands in for GNOME Shell's resource:///org/gnome/shell/extensions/extension.js, which only
// the Shell has: the base class of an extension, holding its metadata.
export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }
}
