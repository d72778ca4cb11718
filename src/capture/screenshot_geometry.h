// Which window the screenshot reader pictures and at what size.
#pragma once

#include <optional>
#include <vector>

#include <QtGlobal>

namespace tarnwhistle {

namespace ScreenshotGeometry {

struct Window {
    quint32 id = 0;
    qint64 pid = 0;
    bool onScreen = false;     // mapped and viewable on the current desktop
    bool normal = false;       // an ordinary application window, not a menu, panel or dock
    int width = 0;
    int height = 0;
};

// The first window (front to back) of `pid` that is on screen, normal and larger than
// 100 x 100; when `window` is given, that window only, if it qualifies.
std::optional<Window> choose(const std::vector<Window>& frontToBack, qint64 pid,
                             quint32 window = 0);

// 2 for tiny widths, else the smaller of 2000 / width and 2: at most 2000 pixels wide.
double scale(double width);

struct Size {
    int width = 0;
    int height = 0;
};
Size scaledSize(int width, int height);

}  // namespace ScreenshotGeometry

}  // namespace tarnwhistle
