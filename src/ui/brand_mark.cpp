#include "ui/brand_mark.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/brand_colors.h"

namespace tarnwhistle {

BrandMark::BrandMark(int size, QWidget* parent) : QWidget(parent), size_(size) {
    setFixedSize(size, size);
    setAccessibleName(QStringLiteral("Tarnwhistle"));
}

void BrandMark::paint(QPainter& painter, const QRectF& rect) {
    const qreal side = qMin(rect.width(), rect.height());
    const QRectF tile(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, brandMint());
    fill.setColorAt(1, brandTeal());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, side * 0.24, side * 0.24);

    // Three bars rising from a common baseline and a dot, in a 22 × 16 grid like the tray icon.
    const qreal unit = side / 24.0;
    const QPointF origin(tile.left() + 2.5 * unit, tile.top() + 4 * unit);
    auto bar = [&](qreal x, qreal height) {
        const QRectF r(origin.x() + x * unit, origin.y() + (16 - 2 - height) * unit, 3 * unit,
                       height * unit);
        painter.drawRoundedRect(r, 1.5 * unit, 1.5 * unit);
    };
    painter.setBrush(QColor(255, 255, 255, 240));
    bar(1.5, 6);
    bar(6, 12);
    bar(10.5, 9);
    painter.setBrush(QColor(14, 92, 80));
    painter.drawEllipse(QRectF(origin.x() + 14.5 * unit, origin.y() + (16 - 8.5 - 6.5) * unit,
                               6.5 * unit, 6.5 * unit));
    painter.restore();
}

QPixmap BrandMark::pixmap(int size, qreal devicePixelRatio) {
    QPixmap pm(QSize(size, size) * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    paint(painter, QRectF(0, 0, size, size));
    return pm;
}

void BrandMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect());
}

}  // namespace tarnwhistle
