// Lock and sleep for the capture loop from the D-Bus watchers, on any session that has them
// (X11 or Wayland). Main thread.
#pragma once

#include <QObject>

#include "capture/lock_source.h"
#include "platform/linux/dbus_lock_watcher.h"

namespace tarnwhistle {

class DBusLockSource : public QObject, public LockSource {
    Q_OBJECT
  public:
    explicit DBusLockSource(QObject* parent = nullptr) : QObject(parent) {
        connect(&watcher_, &DBusLockWatcher::locked, this, [this] { screenLocked(); });
        connect(&watcher_, &DBusLockWatcher::unlocked, this, [this] { screenUnlocked(); });
        connect(&watcher_, &DBusLockWatcher::willSleep, this, [this] { willSleep(); });
        connect(&watcher_, &DBusLockWatcher::didWake, this, [this] { didWake(); });
        watcher_.start();
    }

  private:
    DBusLockWatcher watcher_;
};

}  // namespace tarnwhistle
