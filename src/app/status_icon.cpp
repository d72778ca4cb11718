#include "app/status_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace tarnwhistle {

namespace {

// Drawn in points with the origin at the top left (y = 16 − y − h of a bottom-left layout).
void paint(QPainter& p, AppStatus::State state, const QColor& label) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QColor bars = label;
    bars.setAlphaF(state == AppStatus::State::paused ? 0.45 * label.alphaF() : label.alphaF());
    p.setBrush(bars);
    p.drawRoundedRect(QRectF(1.5, 8, 3, 6), 1.5, 1.5);
    p.drawRoundedRect(QRectF(6, 2, 3, 12), 1.5, 1.5);
    p.drawRoundedRect(QRectF(10.5, 5, 3, 9), 1.5, 1.5);
    p.setBrush(AppStatus::color(state));
    p.drawEllipse(QRectF(14.5, 1, 6.5, 6.5));
}

}  // namespace

QImage StatusIcon::image(AppStatus::State state, const QColor& label, qreal scale) {
    QImage out(qRound(width * scale), qRound(height * scale), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.scale(scale, scale);
    paint(p, state, label);
    p.end();
    out.setDevicePixelRatio(scale);
    return out;
}

QIcon StatusIcon::icon(AppStatus::State state, const QColor& label) {
    QIcon icon;
    for (const qreal scale : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(image(state, label, scale)));
    // Square hosts (most XEmbed trays) would stretch a 22 × 16 picture: give them the same
    // figure centred on a 22 × 22 canvas.
    for (const int side : {22, 44}) {
        QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        QPainter p(&square);
        const qreal scale = side / 22.0;
        p.scale(scale, scale);
        p.translate(0, 3);
        paint(p, state, label);
        p.end();
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

}  // namespace tarnwhistle
