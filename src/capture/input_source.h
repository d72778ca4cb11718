// Input events in other applications, reduced to what may be counted.
#pragma once

#include "capture/desktop_hook.h"

namespace tarnwhistle {

// One input event in another application. Only these facts ever leave the source: key codes
// and characters are never handed on.
struct InputEvent {
    enum class Kind { leftDown, rightDown, keyDown, scroll };
    Kind kind = Kind::keyDown;
    bool isBackspace = false;  // key down of the delete-backwards key
    bool isPaste = false;      // key down of V with the paste modifier held

    bool operator==(const InputEvent&) const = default;
};

class InputSource {
  public:
    virtual ~InputSource() = default;

    // Starts delivering inputEvent(); false when it cannot (yet). Needs no accessibility.
    virtual bool installInputMonitor() = 0;
    virtual void removeInputMonitor() = 0;

    struct Watch {
        DesktopHook<const InputEvent&> input;
    } inputWatch;

    void inputEvent(const InputEvent& event) { notifyHook(inputWatch.input, event); }
};

}  // namespace tarnwhistle
