#include "ui/badge.h"

#include <QPainter>

#include "ui/ui_style.h"

namespace {
constexpr int kPadX = 7;
constexpr int kPadY = 2;
}  // namespace

Badge::Badge(const QString& text, const QColor& color, QWidget* parent) : QWidget(parent) {
    QFont f = UiStyle::scaledFont(font(), 0.82, QFont::DemiBold);
    setFont(f);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    set(text, color);
}

void Badge::set(const QString& text, const QColor& color) {
    text_ = text;
    color_ = color;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize Badge::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text_) + 2 * kPadX, fm.height() + 2 * kPadY};
}

void Badge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = color_;
    fill.setAlphaF(0.18);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    // The pure colour can be pale on a light window (yellow); darken it a little there.
    QColor ink = color_;
    if (palette().color(QPalette::Window).lightness() > 128 && ink.lightness() > 120)
        ink = ink.darker(135);
    p.setPen(ink);
    p.drawText(rect(), Qt::AlignCenter, text_);
}
