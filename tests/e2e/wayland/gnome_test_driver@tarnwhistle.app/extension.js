// End-to-end tests only. New windows do not always take the focus in a headless Shell, and
// the Shell offers no other way to give it: Activate(title) does what a click would.
'use strict';

const { Gio } = imports.gi;
const Main = imports.ui.main;

const DriverXml = `<node>
  <interface name="app.tarnwhistle.TestDriver">
    <method name="Activate">
      <arg type="s" name="title" direction="in"/>
      <arg type="b" name="found" direction="out"/>
    </method>
  </interface>
</node>`;

class Driver {
    enable() {
        this._dbus = Gio.DBusExportedObject.wrapJSObject(DriverXml, this);
        this._dbus.export(Gio.DBus.session, '/app/tarnwhistle/TestDriver');
    }

    disable() {
        this._dbus.unexport();
    }

    Activate(title) {
        const window = global.get_window_actors().map(actor => actor.meta_window)
            .find(w => w.get_title() === title);
        if (!window)
            return false;
        Main.activateWindow(window);
        return true;
    }
}

function init() {
    return new Driver();
}
