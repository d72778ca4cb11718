// Small menu symbols: the desktop icon theme's icon standing in for each symbol, or a simple
// drawn figure when the theme has none. Tinted symbols are always drawn, so the tint shows.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace SymbolIcon {
// `symbol` is one of the menu's symbol names ("pause.fill", "gearshape", ...).
QIcon icon(const QString& symbol, const QColor& tint = QColor());
// The icon theme name that stands in for `symbol`; empty for an unknown symbol.
QString themeName(const QString& symbol);
// The drawn figure, `size` pixels square, in `color`.
QPixmap drawn(const QString& symbol, const QColor& color, int size = 16);
}  // namespace SymbolIcon
