// The two brand colours shared by every window. Everything else takes its colours from the
// desktop palette so the windows follow light and dark themes.
#pragma once

#include <QColor>

namespace tarnwhistle {

inline QColor brandTeal() {
    return QColor::fromRgb(25, 211, 180);
}
inline QColor brandMint() {
    return QColor::fromRgb(122, 240, 216);
}

}  // namespace tarnwhistle
