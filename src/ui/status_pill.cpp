#include "ui/status_pill.h"

#include <QEvent>
#include <QPainter>

namespace tarnwhistle {

namespace {
constexpr int kPadX = 9;
constexpr int kPadY = 3;
constexpr int kDot = 7;
constexpr int kGap = 6;
}  // namespace

StatusPill::StatusPill(QWidget* parent) : QWidget(parent) {
    QFont f = font();
    f.setWeight(QFont::DemiBold);
    f.setPointSizeF(f.pointSizeF() * 0.92);
    setFont(f);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleDescription(QStringLiteral("Status"));
}

void StatusPill::setState(const QString& title, const QColor& color) {
    if (title == title_ && color == color_) return;
    title_ = title;
    color_ = color;
    setAccessibleName(title);
    setToolTip(title);
    updateGeometry();
    update();
}

QSize StatusPill::sizeHint() const {
    const QFontMetrics fm(font());
    return {kPadX * 2 + kDot + kGap + fm.horizontalAdvance(title_), fm.height() + kPadY * 2};
}

void StatusPill::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    QWidget::changeEvent(event);
}

void StatusPill::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = color_;
    fill.setAlphaF(0.18);
    QColor edge = color_;
    edge.setAlphaF(0.55);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(color_);
    p.drawEllipse(QRectF(kPadX, (height() - kDot) / 2.0, kDot, kDot));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(kPadX + kDot + kGap, 0, width() - kPadX * 2 - kDot - kGap, height()),
               Qt::AlignVCenter | Qt::AlignLeft, title_);
}

}  // namespace tarnwhistle
