// Tells the Tarnwhistle agent which window is in front: on activation and when the front
// window's caption changes, its desktop file name, resource class, caption and process id.
// Nothing else leaves KWin. Loaded by the agent over D-Bus; KWin 5.27 and 6 name things
// differently, so both spellings are tried.
var agent = "app.tarnwhistle.Agent";
var agentPath = "/app/tarnwhistle/Compositor";
var agentInterface = "app.tarnwhistle.Compositor";

function active() {
    return workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
}

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}

function report(window) {
    // The desktop itself, or nothing: time belongs to no application.
    if (!window || window.desktopWindow) {
        callDBus(agent, agentPath, agentInterface, "NoWindow");
        return;
    }
    callDBus(agent, agentPath, agentInterface, "WindowActivated", text(window.desktopFileName),
             text(window.resourceClass), text(window.caption), window.pid | 0);
}

function watchCaption(window) {
    if (!window || !window.captionChanged) return;
    window.captionChanged.connect(function () {
        if (window.active) report(window);
    });
}

var added = workspace.windowAdded || workspace.clientAdded;
var activated = workspace.windowActivated || workspace.clientActivated;
var all = workspace.windowList ? workspace.windowList() : workspace.clientList();
for (var i = 0; i < all.length; ++i) watchCaption(all[i]);
added.connect(watchCaption);
activated.connect(report);
report(active());
