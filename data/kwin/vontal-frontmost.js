// Tells vontal which application is in front each time KWin activates a window. The call goes
// to vontal's own bus name only (no broadcast), so no other program learns it through vontal.
// KWin 5.27 names the active window a client; Plasma 6 names it a window.

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

function report(window) {
    callDBus(service, path, iface, "ActiveApplicationChanged", applicationOf(window));
}

const activated = workspace.windowActivated !== undefined ? workspace.windowActivated
                                                          : workspace.clientActivated;
activated.connect(report);
// Where vontal starts: the window active when the script is loaded.
report(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);
