#include "app/window_opener.h"

#include "app/window_services.h"
#include "ui/window_definitions.h"
#include "ui/windows.h"

namespace tarnwhistle {

void WindowOpener::open(const QString& key) {
    if (key != Windows::welcome && key != Windows::settings && key != Windows::activity) return;
    Windows& windows = Windows::shared();
    if (!windows.isDefined(key)) defineWindows(windows, windowServices());
    windows.open(key);
}

bool WindowOpener::anyVisible() {
    const Windows& windows = Windows::shared();
    return windows.isVisible(Windows::welcome) || windows.isVisible(Windows::settings) ||
           windows.isVisible(Windows::activity);
}

}  // namespace tarnwhistle
