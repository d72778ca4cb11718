#include "app/symbol_icon.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {

const QHash<QString, QString>& themeNames() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause")},
        {QStringLiteral("play.fill"), QStringLiteral("media-playback-start")},
        {QStringLiteral("paperplane"), QStringLiteral("mail-send")},
        {QStringLiteral("gearshape"), QStringLiteral("preferences-system")},
        {QStringLiteral("list.bullet.rectangle"), QStringLiteral("view-list-text")},
        {QStringLiteral("chart.xyaxis.line"), QStringLiteral("office-chart-line")},
        {QStringLiteral("book"), QStringLiteral("help-contents")},
        {QStringLiteral("info.circle"), QStringLiteral("help-about")},
        {QStringLiteral("power"), QStringLiteral("application-exit")},
        {QStringLiteral("exclamationmark.shield"), QStringLiteral("dialog-warning")},
        {QStringLiteral("link.badge.plus"), QStringLiteral("insert-link")},
        {QStringLiteral("arrow.up.forward.circle"), QStringLiteral("go-up")},
        {QStringLiteral("clock"), QStringLiteral("appointment-soon")},
        {QStringLiteral("internaldrive"), QStringLiteral("drive-harddisk")},
    };
    return names;
}

// Each figure on a 16 × 16 grid.
void drawFigure(QPainter& p, const QString& s, const QColor& c) {
    QPen pen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (s == QLatin1String("pause.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(3.5, 2.5, 3, 11), 1, 1);
        p.drawRoundedRect(QRectF(9.5, 2.5, 3, 11), 1, 1);
    } else if (s == QLatin1String("play.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13, 8), QPointF(4, 13.5)}));
    } else if (s == QLatin1String("paperplane")) {
        p.drawPolygon(
            QPolygonF({QPointF(2, 7.5), QPointF(14, 2), QPointF(9, 14), QPointF(7.5, 9)}));
    } else if (s == QLatin1String("gearshape")) {
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(45.0 * i);
            p.drawLine(QPointF(0, 5), QPointF(0, 7));
            p.restore();
        }
        p.drawEllipse(QPointF(8, 8), 4.5, 4.5);
        p.drawEllipse(QPointF(8, 8), 1.6, 1.6);
    } else if (s == QLatin1String("list.bullet.rectangle")) {
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        for (const double y : {5.5, 8.0, 10.5}) p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
    } else if (s == QLatin1String("chart.xyaxis.line")) {
        p.drawPolyline(QPolygonF({QPointF(2, 2), QPointF(2, 14), QPointF(14, 14)}));
        p.drawPolyline(QPolygonF({QPointF(4, 11), QPointF(7, 7), QPointF(10, 9), QPointF(14, 3)}));
    } else if (s == QLatin1String("book")) {
        p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(2, 2.5), QPointF(2, 12.5), QPointF(8, 14),
                                 QPointF(14, 12.5), QPointF(14, 2.5)}));
        p.drawLine(QPointF(8, 4), QPointF(8, 14));
    } else if (s == QLatin1String("info.circle") || s == QLatin1String("exclamationmark.shield")) {
        p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
        const bool info = s == QLatin1String("info.circle");
        p.drawLine(QPointF(8, info ? 7 : 4.5), QPointF(8, info ? 11.5 : 9));
        p.drawPoint(QPointF(8, info ? 4.6 : 11.4));
    } else if (s == QLatin1String("power")) {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(2, 2.5, 12, 12), 60);
        arc.arcTo(QRectF(2, 2.5, 12, 12), 60, -300);
        p.drawPath(arc);
        p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
    } else if (s == QLatin1String("link.badge.plus")) {
        p.drawRoundedRect(QRectF(1.5, 6, 7, 4), 2, 2);
        p.drawRoundedRect(QRectF(5.5, 6, 7, 4), 2, 2);
        p.drawLine(QPointF(13, 1.5), QPointF(13, 5.5));
        p.drawLine(QPointF(11, 3.5), QPointF(15, 3.5));
    } else if (s == QLatin1String("arrow.up.forward.circle")) {
        p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
        p.drawLine(QPointF(5.5, 10.5), QPointF(10.5, 5.5));
        p.drawPolyline(QPolygonF({QPointF(6.5, 5.5), QPointF(10.5, 5.5), QPointF(10.5, 9.5)}));
    } else if (s == QLatin1String("clock")) {
        p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
        p.drawPolyline(QPolygonF({QPointF(8, 4.5), QPointF(8, 8), QPointF(10.5, 9.5)}));
    } else if (s == QLatin1String("internaldrive")) {
        p.drawRoundedRect(QRectF(1.5, 4.5, 13, 7), 2, 2);
        p.drawPoint(QPointF(11.5, 8));
    } else {
        p.drawEllipse(QPointF(8, 8), 5, 5);
    }
}

}  // namespace

QString SymbolIcon::themeName(const QString& symbol) {
    return themeNames().value(symbol);
}

QPixmap SymbolIcon::drawn(const QString& symbol, const QColor& color, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawFigure(p, symbol, color);
    return pixmap;
}

QIcon SymbolIcon::icon(const QString& symbol, const QColor& tint) {
    if (!tint.isValid()) {
        const QString name = themeName(symbol);
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    const QColor color =
        tint.isValid() ? tint : QApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (const int size : {16, 32}) icon.addPixmap(drawn(symbol, color, size));
    return icon;
}
