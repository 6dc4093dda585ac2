// Stands in for GNOME Shell's resource:///org/gnome/shell/ui/main.js: only the overview, whose
// showing and hiding the test drives.
const handlers = new Map();
let nextHandler = 1;

export const overview = {
    visible: false,
    connect(signal, callback) {
        handlers.set(nextHandler, {signal, callback});
        return nextHandler++;
    },
    disconnect(id) {
        handlers.delete(id);
    },
    handlerCount() {
        return handlers.size;
    },
    // The Shell emits 'showing' as the overview starts to show and 'hidden' once it is gone.
    show(shown) {
        this.visible = shown;
        for (const {signal, callback} of [...handlers.values()]) {
            if (signal === (shown ? 'showing' : 'hidden'))
                callback();
        }
    },
};
