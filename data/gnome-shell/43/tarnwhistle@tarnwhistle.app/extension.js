// Tells the Tarnwhistle agent, and only it, which window is in front (application id, class,
// title, process id) and what kinds of data each new clipboard offers. The contents of windows
// and of the clipboard are never read. Reports are calls to the agent's own bus name rather
// than signals, so titles are not broadcast to every program on the session bus.
// GNOME 43 and 44 (the legacy extension format); the 45+ copy beside it is the same logic.
'use strict';

const { Gio, GLib, Meta, Shell } = imports.gi;

const Agent = 'app.tarnwhistle.Agent';
const AgentPath = '/app/tarnwhistle/Compositor';
const AgentInterface = 'app.tarnwhistle.Compositor';
const ReporterPath = '/app/tarnwhistle/ShellReporter';
const ReporterXml = `<node>
  <interface name="app.tarnwhistle.ShellReporter">
    <method name="Hello"><arg type="s" name="version" direction="out"/></method>
  </interface>
</node>`;
const Version = '1';

function tell(method, parameters) {
    // No reply wanted and no auto-start: a missing agent is simply not told.
    Gio.DBus.session.call(Agent, AgentPath, AgentInterface, method, parameters, null,
        Gio.DBusCallFlags.NO_AUTO_START, 2000, null, null);
}

class Reporter {
    enable() {
        this._window = null;
        this._ownerGone = false;
        this._titleId = 0;
        this._focusId = global.display.connect('notify::focus-window', () => this._focusChanged());
        this._selection = global.display.get_selection();
        this._ownerId = this._selection.connect('owner-changed',
            (selection, type, source) => this._ownerChanged(type, source));
        this._dbus = Gio.DBusExportedObject.wrapJSObject(ReporterXml, this);
        this._dbus.export(Gio.DBus.session, ReporterPath);
        this._focusChanged();
    }

    disable() {
        this._dbus.unexport();
        this._dbus = null;
        this._selection.disconnect(this._ownerId);
        global.display.disconnect(this._focusId);
        this._watchTitle(null);
    }

    // The agent asks at start: it learns that the extension runs and what is in front now.
    Hello() {
        this._report();
        return Version;
    }

    _focusChanged() {
        this._watchTitle(global.display.focus_window);
        this._report();
    }

    _watchTitle(window) {
        if (this._window && this._titleId)
            this._window.disconnect(this._titleId);
        this._window = window;
        this._titleId = window ? window.connect('notify::title', () => this._report()) : 0;
    }

    _report() {
        const window = this._window;
        if (!window) {
            tell('NoWindow', null);
            return;
        }
        tell('WindowActivated', new GLib.Variant('(sssi)', [
            appId(window), window.get_wm_class() || '', window.get_title() || '',
            window.get_pid()]));
    }

    _ownerChanged(type, source) {
        if (type !== Meta.SelectionType.SELECTION_CLIPBOARD)
            return;
        // A cleared clipboard is no copy. When the owner quits, Mutter's clipboard manager
        // keeps what it offered and becomes the owner at once: the same contents, no copy.
        const takenOver = this._ownerGone && source instanceof Meta.SelectionSourceMemory;
        this._ownerGone = !source;
        if (!source || takenOver)
            return;
        tell('ClipboardChanged', new GLib.Variant('(as)', [source.get_mimetypes()]));
    }
}

// The desktop id the Shell matched the window to, else what the window calls itself.
function appId(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    const id = app ? app.get_id() : null;
    if (id && !id.startsWith('window:'))
        return id.replace(/\.desktop$/, '');
    return window.get_sandboxed_app_id() || window.get_gtk_application_id() || '';
}

function init() {
    return new Reporter();
}
