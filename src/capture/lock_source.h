// Screen lock and system sleep, as they happen.
#pragma once

#include "capture/desktop_hook.h"

namespace tarnwhistle {

class LockSource {
  public:
    virtual ~LockSource() = default;

    struct Watch {
        DesktopHook<> locked, unlocked, sleeping, woke;
    } lockWatch;

    void screenLocked() { notifyHook(lockWatch.locked); }
    void screenUnlocked() { notifyHook(lockWatch.unlocked); }
    void willSleep() { notifyHook(lockWatch.sleeping); }
    void didWake() { notifyHook(lockWatch.woke); }
};

}  // namespace tarnwhistle
