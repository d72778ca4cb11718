// The desktop as the capture loop sees it: one source per capability, combined by the session
// from what it has. A missing source (null) is a capability the session lacks; the capture loop
// then reports nothing that needs it, rather than zeros that would look like an idle user.
//
// Threading: everything is called and every notification comes on the main thread, except
// WindowReader (the window-poll worker) and WindowPicture (the recognition worker), which
// never touch the engine.
//
// When the display goes away the front-window source says so (displayLost), observes nothing
// and knows no idle time until it is back (displayRestored); it reconnects by itself.
#pragma once

#include "capture/clipboard_source.h"
#include "capture/front_window_source.h"
#include "capture/idle_source.h"
#include "capture/input_source.h"
#include "capture/lock_source.h"
#include "capture/window_picture.h"
#include "capture/window_reader.h"

namespace tarnwhistle {

struct DesktopBackend {
    FrontWindowSource* frontWindow = nullptr;
    IdleSource* idle = nullptr;
    LockSource* locks = nullptr;
    InputSource* input = nullptr;
    ClipboardSource* clipboard = nullptr;
    WindowReader* reader = nullptr;
    WindowPicture* picture = nullptr;

    using Reading = WindowReader::Reading;

    // Every capability from one object that offers them all.
    template <typename All>
    static DesktopBackend all(All& source) {
        return {&source, &source, &source, &source, &source, &source, &source};
    }
};

}  // namespace tarnwhistle
