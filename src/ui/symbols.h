// Icons for the symbol names the windows use ("checkmark.circle.fill", "folder", ...): the
// desktop's icon theme where it has a matching freedesktop name, otherwise a small drawing.
// Symbols whose colour carries meaning (status marks) are always drawn in their tint.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace tarnwhistle {

namespace Symbols {

// The freedesktop icon name standing in for `symbol`; empty when there is none.
QString themeName(const QString& symbol);
// The icon for `symbol` in `tint` (the palette's text colour when invalid).
QIcon icon(const QString& symbol, const QColor& tint = QColor());
// The drawn form alone, `size` × `size`.
QPixmap drawn(const QString& symbol, int size, const QColor& tint, qreal dpr = 1.0);

}  // namespace Symbols

}  // namespace tarnwhistle
