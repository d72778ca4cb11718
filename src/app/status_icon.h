// The tray icon: three bars and a dot in the state's colour, 22 × 16 points, not a template
// (the dot keeps its colour). The bars take the given label colour, at 45 % when paused.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

#include "app/app_status.h"

namespace tarnwhistle {

namespace StatusIcon {
inline constexpr int width = 22;
inline constexpr int height = 16;

// One rendering at `scale` device pixels per point.
QImage image(AppStatus::State state, const QColor& label, qreal scale);
// Renderings at 1×, 2× and a square 22 × 22 variant for hosts that only take squares.
QIcon icon(AppStatus::State state, const QColor& label);
}  // namespace StatusIcon

}  // namespace tarnwhistle
