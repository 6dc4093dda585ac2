// Test only, never installed: activates the first window whose process id, desktop file name
// or resource class is WANTED, and prints what it did after TOKEN for the test to read.
const wanted = "@WANTED@";
const windows = workspace.windowList !== undefined ? workspace.windowList()
                                                   : workspace.clientList();
let found = null;
for (const window of windows) {
    if (String(window.pid) === wanted || window.desktopFileName === wanted ||
        window.resourceClass === wanted) {
        found = window;
        break;
    }
}
if (found !== null) {
    if (workspace.activeWindow !== undefined)
        workspace.activeWindow = found;
    else
        workspace.activeClient = found;
}
print("@TOKEN@ " + (found !== null ? "activated" : "missing"));
