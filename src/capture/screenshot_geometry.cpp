#include "capture/screenshot_geometry.h"

#include <algorithm>

namespace tarnwhistle {

namespace ScreenshotGeometry {

std::optional<Window> choose(const std::vector<Window>& frontToBack, qint64 pid,
                             quint32 only) {
    for (const Window& window : frontToBack) {
        if (only != 0 && window.id != only) continue;
        if (window.pid == pid && window.onScreen && window.normal && window.width > 100 &&
            window.height > 100)
            return window;
    }
    return std::nullopt;
}

double scale(double width) { return width <= 1.0 ? 2.0 : std::min(2000.0 / width, 2.0); }

Size scaledSize(int width, int height) {
    const double s = scale(width);
    return {int(s * width), int(s * height)};
}

}  // namespace ScreenshotGeometry

}  // namespace tarnwhistle
