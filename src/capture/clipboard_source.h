// That the clipboard has new contents, and the kinds of data they offer. Never the contents.
#pragma once

#include <QStringList>

#include "capture/desktop_hook.h"

namespace tarnwhistle {

class ClipboardSource {
  public:
    virtual ~ClipboardSource() = default;

    // A counter that moves each time something new is put on the clipboard.
    virtual quint64 clipboardChangeCount() = 0;
    // The type names the newest clipboard offers.
    virtual QStringList clipboardTypes() = 0;

    struct Watch {
        DesktopHook<> changed;
    } clipboardWatch;

    void clipboardChanged() { notifyHook(clipboardWatch.changed); }
};

}  // namespace tarnwhistle
