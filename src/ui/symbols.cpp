#include "ui/symbols.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <cmath>

namespace tarnwhistle {

namespace Symbols {
namespace {

const QHash<QString, QString>& themeNames() {
    static const QHash<QString, QString> names = {
        {"folder", "folder"},
        {"trash", "user-trash"},
        {"trash.fill", "user-trash"},
        {"doc.on.doc", "edit-copy"},
        {"doc.on.clipboard", "edit-paste"},
        {"power", "system-shutdown"},
        {"pause.fill", "media-playback-pause"},
        {"play.fill", "media-playback-start"},
        {"book", "help-contents"},
        {"gearshape.fill", "preferences-system"},
        {"keyboard", "input-keyboard"},
        {"photo", "image-x-generic"},
        {"cursorarrow", "input-mouse"},
        {"link", "insert-link"},
        {"lock.fill", "system-lock-screen"},
        {"paperplane.fill", "mail-send"},
        {"internaldrive.fill", "drive-harddisk"},
        {"laptopcomputer", "computer"},
        {"macwindow", "window-new"},
        {"plus.app", "list-add"},
        {"timer", "alarm-symbolic"},
        {"gearshape", "preferences-system"},
        {"paperplane", "mail-send"},
        {"list.bullet.rectangle", "view-list-text"},
        {"chart.xyaxis.line", "office-chart-line"},
        {"info.circle", "help-about"},
    };
    return names;
}

// Status marks: their colour is their meaning, so no theme icon replaces them.
bool alwaysDrawn(const QString& symbol) {
    return symbol.endsWith(QLatin1String(".circle.fill")) || symbol == QLatin1String("circle") ||
           symbol == QLatin1String("checkmark") || symbol == QLatin1String("checkmark.seal.fill");
}

void drawCheck(QPainter& p, qreal s, const QColor& c, qreal w) {
    QPainterPath path;
    path.moveTo(s * 0.30, s * 0.52);
    path.lineTo(s * 0.44, s * 0.66);
    path.lineTo(s * 0.71, s * 0.36);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void drawPerson(QPainter& p, qreal s) {
    p.drawEllipse(QRectF(s * 0.36, s * 0.16, s * 0.28, s * 0.28));
    QPainterPath body;
    body.moveTo(s * 0.18, s * 0.86);
    body.cubicTo(s * 0.2, s * 0.5, s * 0.8, s * 0.5, s * 0.82, s * 0.86);
    body.closeSubpath();
    p.drawPath(body);
}

void paintSymbol(QPainter& p, const QString& n, qreal s, const QColor& c) {
    const QColor knock = QColor(255, 255, 255);
    const qreal w = qMax(1.2, s / 12);
    QPen pen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF disc(s * 0.08, s * 0.08, s * 0.84, s * 0.84);
    auto filledDisc = [&] {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(disc);
    };
    auto knockPen = [&] {
        p.setPen(QPen(knock, w * 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    };

    if (n == "checkmark.circle.fill" || n == "checkmark.seal.fill") {
        filledDisc();
        drawCheck(p, s, knock, w * 1.3);
    } else if (n == "checkmark") {
        drawCheck(p, s, c, w * 1.6);
    } else if (n == "circle") {
        p.drawEllipse(disc.adjusted(w / 2, w / 2, -w / 2, -w / 2));
    } else if (n == "exclamationmark.circle.fill") {
        filledDisc();
        knockPen();
        p.drawLine(QPointF(s / 2, s * 0.27), QPointF(s / 2, s * 0.56));
        p.drawPoint(QPointF(s / 2, s * 0.72));
    } else if (n == "xmark.circle.fill") {
        filledDisc();
        knockPen();
        p.drawLine(QPointF(s * 0.35, s * 0.35), QPointF(s * 0.65, s * 0.65));
        p.drawLine(QPointF(s * 0.65, s * 0.35), QPointF(s * 0.35, s * 0.65));
    } else if (n == "plus.circle.fill" || n == "plus.app") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        if (n == "plus.app")
            p.drawRoundedRect(disc, s * 0.2, s * 0.2);
        else
            p.drawEllipse(disc);
        knockPen();
        p.drawLine(QPointF(s / 2, s * 0.3), QPointF(s / 2, s * 0.7));
        p.drawLine(QPointF(s * 0.3, s / 2), QPointF(s * 0.7, s / 2));
    } else if (n == "pencil.circle.fill") {
        filledDisc();
        knockPen();
        p.drawLine(QPointF(s * 0.33, s * 0.67), QPointF(s * 0.66, s * 0.34));
    } else if (n == "lock.fill") {
        p.drawArc(QRectF(s * 0.3, s * 0.12, s * 0.4, s * 0.44), 0, 180 * 16);
        p.drawLine(QPointF(s * 0.3, s * 0.34), QPointF(s * 0.3, s * 0.46));
        p.drawLine(QPointF(s * 0.7, s * 0.34), QPointF(s * 0.7, s * 0.46));
        p.setBrush(c);
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.44, s * 0.6, s * 0.44), s * 0.08, s * 0.08);
    } else if (n == "keyboard") {
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.26, s * 0.84, s * 0.5), s * 0.08, s * 0.08);
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < 4; ++k)
                p.drawPoint(QPointF(s * (0.25 + k * 0.17), s * (0.42 + row * 0.14)));
    } else if (n == "doc.on.clipboard" || n == "doc.on.doc") {
        p.drawRoundedRect(QRectF(s * 0.16, s * 0.12, s * 0.46, s * 0.58), s * 0.06, s * 0.06);
        p.setBrush(QApplication::palette().color(QPalette::Base));
        p.drawRoundedRect(QRectF(s * 0.38, s * 0.3, s * 0.46, s * 0.58), s * 0.06, s * 0.06);
    } else if (n == "photo") {
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.2, s * 0.8, s * 0.6), s * 0.08, s * 0.08);
        QPainterPath m;
        m.moveTo(s * 0.18, s * 0.72);
        m.lineTo(s * 0.4, s * 0.45);
        m.lineTo(s * 0.56, s * 0.62);
        m.lineTo(s * 0.66, s * 0.52);
        m.lineTo(s * 0.82, s * 0.72);
        p.drawPath(m);
    } else if (n == "macwindow") {
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.64), s * 0.08, s * 0.08);
        p.drawLine(QPointF(s * 0.1, s * 0.36), QPointF(s * 0.9, s * 0.36));
    } else if (n == "laptopcomputer") {
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.44), s * 0.05, s * 0.05);
        p.drawLine(QPointF(s * 0.06, s * 0.78), QPointF(s * 0.94, s * 0.78));
    } else if (n == "link") {
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.36, s * 0.46, s * 0.28), s * 0.14, s * 0.14);
        p.drawRoundedRect(QRectF(s * 0.46, s * 0.36, s * 0.46, s * 0.28), s * 0.14, s * 0.14);
    } else if (n == "link.badge.plus") {
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.4, s * 0.44, s * 0.26), s * 0.13, s * 0.13);
        p.drawRoundedRect(QRectF(s * 0.34, s * 0.4, s * 0.44, s * 0.26), s * 0.13, s * 0.13);
        p.drawLine(QPointF(s * 0.81, s * 0.1), QPointF(s * 0.81, s * 0.34));
        p.drawLine(QPointF(s * 0.69, s * 0.22), QPointF(s * 0.93, s * 0.22));
    } else if (n == "info.circle" || n == "exclamationmark.shield") {
        p.drawEllipse(disc);
        const bool info = n == "info.circle";
        p.drawLine(QPointF(s / 2, s * (info ? 0.44 : 0.28)),
                   QPointF(s / 2, s * (info ? 0.72 : 0.56)));
        p.drawPoint(QPointF(s / 2, s * (info ? 0.29 : 0.71)));
    } else if (n == "clock") {
        p.drawEllipse(disc);
        p.drawPolyline(QPolygonF({{s / 2, s * 0.28}, {s / 2, s / 2}, {s * 0.66, s * 0.6}}));
    } else if (n == "arrow.up.forward.circle") {
        p.drawEllipse(disc);
        p.drawLine(QPointF(s * 0.34, s * 0.66), QPointF(s * 0.66, s * 0.34));
        p.drawPolyline(QPolygonF({{s * 0.4, s * 0.34}, {s * 0.66, s * 0.34}, {s * 0.66, s * 0.6}}));
    } else if (n == "cursorarrow") {
        QPolygonF a({{s * 0.3, s * 0.12},
                     {s * 0.3, s * 0.8},
                     {s * 0.46, s * 0.64},
                     {s * 0.58, s * 0.88},
                     {s * 0.68, s * 0.83},
                     {s * 0.56, s * 0.6},
                     {s * 0.76, s * 0.6}});
        p.drawPolygon(a);
    } else if (n == "book") {
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.2, s * 0.4, s * 0.62), s * 0.04, s * 0.04);
        p.drawRoundedRect(QRectF(s * 0.5, s * 0.2, s * 0.4, s * 0.62), s * 0.04, s * 0.04);
    } else if (n.startsWith("gauge")) {
        p.drawArc(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.8), 0, 180 * 16);
        p.drawLine(QPointF(s / 2, s * 0.58), QPointF(s * 0.7, s * 0.36));
    } else if (n == "chart.xyaxis.line") {
        p.drawPolyline(QPolygonF({{s * 0.12, s * 0.1}, {s * 0.12, s * 0.88}, {s * 0.9, s * 0.88}}));
        p.drawPolyline(QPolygonF({{s * 0.24, s * 0.7},
                                  {s * 0.44, s * 0.46},
                                  {s * 0.6, s * 0.58},
                                  {s * 0.86, s * 0.24}}));
    } else if (n == "list.bullet.rectangle") {
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.14, s * 0.84, s * 0.72), s * 0.1, s * 0.1);
        for (int i = 0; i < 3; ++i) {
            const qreal y = s * (0.33 + i * 0.17);
            p.drawPoint(QPointF(s * 0.26, y));
            p.drawLine(QPointF(s * 0.38, y), QPointF(s * 0.76, y));
        }
    } else if (n == "waveform.path.ecg") {
        QPainterPath m;
        m.moveTo(s * 0.06, s * 0.55);
        m.lineTo(s * 0.3, s * 0.55);
        m.lineTo(s * 0.4, s * 0.25);
        m.lineTo(s * 0.55, s * 0.8);
        m.lineTo(s * 0.65, s * 0.45);
        m.lineTo(s * 0.94, s * 0.45);
        p.drawPath(m);
    } else if (n == "hand.raised.fill") {
        p.setBrush(c);
        p.drawRoundedRect(QRectF(s * 0.26, s * 0.36, s * 0.5, s * 0.52), s * 0.18, s * 0.18);
        for (int f = 0; f < 4; ++f)
            p.drawRoundedRect(QRectF(s * (0.27 + f * 0.12), s * 0.14, s * 0.09, s * 0.4), s * 0.045,
                              s * 0.045);
    } else if (n == "tag.fill") {
        QPolygonF t({{s * 0.12, s * 0.12},
                     {s * 0.5, s * 0.12},
                     {s * 0.9, s * 0.52},
                     {s * 0.52, s * 0.9},
                     {s * 0.12, s * 0.5}});
        p.setBrush(c);
        p.drawPolygon(t);
        p.setBrush(knock);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(s * 0.3, s * 0.3), s * 0.07, s * 0.07);
    } else if (n.startsWith("paperplane")) {
        QPolygonF t(
            {{s * 0.08, s * 0.45}, {s * 0.9, s * 0.12}, {s * 0.6, s * 0.9}, {s * 0.45, s * 0.56}});
        if (n.endsWith(".fill")) p.setBrush(c);
        p.drawPolygon(t);
    } else if (n.startsWith("person")) {
        p.setBrush(c);
        drawPerson(p, s);
    } else if (n.startsWith("gearshape")) {
        p.setPen(QPen(c, s * 0.14, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(QPointF(s / 2 + std::cos(a) * s * 0.26, s / 2 + std::sin(a) * s * 0.26),
                       QPointF(s / 2 + std::cos(a) * s * 0.42, s / 2 + std::sin(a) * s * 0.42));
        }
        p.setPen(QPen(c, s * 0.12));
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.22, s * 0.22);
    } else if (n == "tray.full" || n.startsWith("internaldrive")) {
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.44), s * 0.08, s * 0.08);
        p.drawLine(QPointF(s * 0.1, s * 0.52), QPointF(s * 0.9, s * 0.52));
        if (n == "tray.full") p.drawLine(QPointF(s * 0.3, s * 0.2), QPointF(s * 0.7, s * 0.2));
    } else if (n == "switch.2") {
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.18, s * 0.8, s * 0.26), s * 0.13, s * 0.13);
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.56, s * 0.8, s * 0.26), s * 0.13, s * 0.13);
        p.setBrush(c);
        p.drawEllipse(QPointF(s * 0.76, s * 0.31), s * 0.08, s * 0.08);
        p.drawEllipse(QPointF(s * 0.24, s * 0.69), s * 0.08, s * 0.08);
    } else if (n == "moon.zzz.fill") {
        QPainterPath moon;
        moon.addEllipse(QRectF(s * 0.12, s * 0.2, s * 0.66, s * 0.66));
        QPainterPath bite;
        bite.addEllipse(QRectF(s * 0.34, s * 0.1, s * 0.6, s * 0.6));
        p.setBrush(c);
        p.drawPath(moon.subtracted(bite));
    } else if (n.startsWith("trash")) {
        p.drawLine(QPointF(s * 0.16, s * 0.26), QPointF(s * 0.84, s * 0.26));
        p.drawLine(QPointF(s * 0.4, s * 0.14), QPointF(s * 0.6, s * 0.14));
        p.drawRoundedRect(QRectF(s * 0.24, s * 0.3, s * 0.52, s * 0.58), s * 0.06, s * 0.06);
    } else if (n == "cpu.fill") {
        p.setBrush(c);
        p.drawRoundedRect(QRectF(s * 0.26, s * 0.26, s * 0.48, s * 0.48), s * 0.06, s * 0.06);
        for (int i = 0; i < 3; ++i) {
            const qreal x = s * (0.36 + i * 0.14);
            p.drawLine(QPointF(x, s * 0.1), QPointF(x, s * 0.26));
            p.drawLine(QPointF(x, s * 0.74), QPointF(x, s * 0.9));
            p.drawLine(QPointF(s * 0.1, x), QPointF(s * 0.26, x));
            p.drawLine(QPointF(s * 0.74, x), QPointF(s * 0.9, x));
        }
    } else if (n == "apple.logo" || n == "sparkles") {
        QPainterPath star;
        star.moveTo(s / 2, s * 0.08);
        star.quadTo(s * 0.56, s * 0.44, s * 0.92, s / 2);
        star.quadTo(s * 0.56, s * 0.56, s / 2, s * 0.92);
        star.quadTo(s * 0.44, s * 0.56, s * 0.08, s / 2);
        star.quadTo(s * 0.44, s * 0.44, s / 2, s * 0.08);
        p.setBrush(c);
        p.drawPath(star);
    } else if (n == "eye" || n == "eye.slash") {
        QPainterPath e;
        e.moveTo(s * 0.06, s / 2);
        e.quadTo(s / 2, s * 0.1, s * 0.94, s / 2);
        e.quadTo(s / 2, s * 0.9, s * 0.06, s / 2);
        p.drawPath(e);
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.12, s * 0.12);
        if (n == "eye.slash") p.drawLine(QPointF(s * 0.16, s * 0.16), QPointF(s * 0.84, s * 0.84));
    } else if (n == "timer") {
        p.drawEllipse(QRectF(s * 0.14, s * 0.18, s * 0.72, s * 0.72));
        p.drawLine(QPointF(s / 2, s * 0.54), QPointF(s / 2, s * 0.32));
        p.drawLine(QPointF(s * 0.4, s * 0.08), QPointF(s * 0.6, s * 0.08));
    } else if (n.startsWith("building")) {
        p.drawRect(QRectF(s * 0.14, s * 0.3, s * 0.34, s * 0.58));
        p.drawRect(QRectF(s * 0.48, s * 0.12, s * 0.38, s * 0.76));
    } else if (n == "text.viewfinder") {
        const qreal a = s * 0.1, b = s * 0.9, k = s * 0.22;
        p.drawPolyline(QPolygonF({{a, a + k}, {a, a}, {a + k, a}}));
        p.drawPolyline(QPolygonF({{b - k, a}, {b, a}, {b, a + k}}));
        p.drawPolyline(QPolygonF({{a, b - k}, {a, b}, {a + k, b}}));
        p.drawPolyline(QPolygonF({{b - k, b}, {b, b}, {b, b - k}}));
        p.drawLine(QPointF(s * 0.3, s * 0.42), QPointF(s * 0.7, s * 0.42));
        p.drawLine(QPointF(s * 0.3, s * 0.58), QPointF(s * 0.6, s * 0.58));
    } else if (n.startsWith("doc")) {
        QPolygonF d({{s * 0.2, s * 0.08},
                     {s * 0.6, s * 0.08},
                     {s * 0.8, s * 0.28},
                     {s * 0.8, s * 0.92},
                     {s * 0.2, s * 0.92}});
        p.drawPolygon(d);
        p.drawLine(QPointF(s * 0.32, s * 0.5), QPointF(s * 0.68, s * 0.5));
        p.drawLine(QPointF(s * 0.32, s * 0.66), QPointF(s * 0.68, s * 0.66));
    } else if (n == "folder") {
        QPolygonF f({{s * 0.08, s * 0.2},
                     {s * 0.38, s * 0.2},
                     {s * 0.46, s * 0.3},
                     {s * 0.92, s * 0.3},
                     {s * 0.92, s * 0.82},
                     {s * 0.08, s * 0.82}});
        p.drawPolygon(f);
    } else if (n == "power") {
        p.drawArc(QRectF(s * 0.16, s * 0.18, s * 0.68, s * 0.68), 120 * 16, 300 * 16);
        p.drawLine(QPointF(s / 2, s * 0.1), QPointF(s / 2, s * 0.48));
    } else if (n == "pause.fill") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(s * 0.24, s * 0.16, s * 0.18, s * 0.68), s * 0.04, s * 0.04);
        p.drawRoundedRect(QRectF(s * 0.58, s * 0.16, s * 0.18, s * 0.68), s * 0.04, s * 0.04);
    } else if (n == "play.fill") {
        p.setBrush(c);
        p.drawPolygon(QPolygonF({{s * 0.26, s * 0.14}, {s * 0.84, s / 2}, {s * 0.26, s * 0.86}}));
    } else {
        // Unknown name: a plain dot keeps the row's alignment.
        p.setBrush(c);
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.2, s * 0.2);
    }
}

}  // namespace

QString themeName(const QString& symbol) {
    return themeNames().value(symbol);
}

QPixmap drawn(const QString& symbol, int size, const QColor& tint, qreal dpr) {
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = tint.isValid() ? tint : QApplication::palette().color(QPalette::WindowText);
    paintSymbol(p, symbol, size, c);
    return pm;
}

QIcon icon(const QString& symbol, const QColor& tint) {
    if (!alwaysDrawn(symbol)) {
        const QString name = themeName(symbol);
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    QIcon result;
    // On a selected row the tint would vanish into the selection colour.
    const QColor selected = QApplication::palette().color(QPalette::HighlightedText);
    for (int size : {16, 20, 24, 32, 48}) {
        result.addPixmap(drawn(symbol, size, tint, 2.0));
        result.addPixmap(drawn(symbol, size, selected, 2.0), QIcon::Selected);
    }
    return result;
}

}  // namespace Symbols

}  // namespace tarnwhistle
