#include "ui/badge.h"

#include <QPainter>

#include "ui/ui_style.h"

namespace tarnwhistle {

namespace {
constexpr int kPadX = 7;
constexpr int kPadY = 2;
}  // namespace

Badge::Badge(const QString& text, const QColor& color, QWidget* parent) : QWidget(parent) {
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

QFont Badge::font(const QFont& base) {
    return UiStyle::scaledFont(base, 0.82, QFont::DemiBold);
}

QSize Badge::size(const QFont& base, const QString& text) {
    const QFontMetrics fm(font(base));
    return {fm.horizontalAdvance(text) + 2 * kPadX, fm.height() + 2 * kPadY};
}

QSize Badge::sizeHint() const {
    return size(QWidget::font(), text_);
}

void Badge::paint(QPainter& p, const QRect& rect, const QFont& base, const QString& text,
                  const QColor& color, const QColor& window, const QColor& ground) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = color;
    fill.setAlphaF(0.18);
    p.setPen(Qt::NoPen);
    p.setBrush(ground.isValid() ? ground : fill);
    p.drawRoundedRect(QRectF(rect), rect.height() / 2.0, rect.height() / 2.0);
    // The pure colour can be pale on a light window (yellow); darken it a little there.
    QColor ink = color;
    if (window.lightness() > 128 && ink.lightness() > 120) ink = ink.darker(135);
    p.setPen(ink);
    p.setFont(font(base));
    p.drawText(rect, Qt::AlignCenter, text);
    p.restore();
}

void Badge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, rect(), QWidget::font(), text_, color_, palette().color(QPalette::Window));
}

}  // namespace tarnwhistle
