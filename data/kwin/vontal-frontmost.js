// Tells vontal which application is in front each time KWin activates a window. The call goes
// to vontal's own bus connection only (no broadcast), so no other program learns it through
// vontal. KWin 5.27 names the active window a client; Plasma 6 names it a window.
//
// Any program of the session may hold vontal's well-known name, or wait in its queue. A KWin
// script cannot read /proc to see which program a bus name belongs to, so the check is in the
// loading: vontal loads this script only while vontal itself holds the name, and nobody can take
// it from vontal. As it starts, the script asks the bus who holds the name, and from then on
// calls only that connection by its unique name, which no later owner inherits: when vontal
// quits (it unloads the script first) or dies, the calls go nowhere.

const service = "org.vontal.vontal";
const path = "/org/vontal/vontal/Frontmost";
const iface = "org.vontal.vontal.Frontmost";

// The desktop id of the window's application: its desktop file name when it has one, else its
// resource class (X11 programs under Xwayland); "" for KWin's own surfaces (the desktop, panels,
// the task switcher, on-screen displays) and for no window at all.
function applicationOf(window) {
    if (!window)
        return "";
    if (window.desktopWindow || window.dock || window.splash || window.toolbar ||
        window.menu || window.notification || window.criticalNotification || window.onScreenDisplay ||
        window.popupWindow || window.specialWindow && !window.dialog && !window.utility)
        return "";
    if (window.resourceClass === "kwin_wayland" || window.resourceClass === "kwin_x11" ||
        window.resourceClass === "kwin")
        return "";
    const desktopFile = String(window.desktopFileName || "");
    if (desktopFile !== "")
        return desktopFile.replace(/\.desktop$/, "");
    return String(window.resourceClass || "");
}

// The unique name of the vontal that loaded this script; null until the bus answered.
let vontal = null;

function report(window) {
    if (vontal !== null)
        callDBus(vontal, path, iface, "ActiveApplicationChanged", applicationOf(window));
}

const activated = workspace.windowActivated !== undefined ? workspace.windowActivated
                                                          : workspace.clientActivated;
activated.connect(report);
callDBus("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
         service, function (owner) {
    vontal = String(owner);
    // Where vontal starts: the window active now.
    report(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);
});
