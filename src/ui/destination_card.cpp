#include "ui/destination_card.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/brand_colors.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

namespace {
constexpr int kPad = 12;
constexpr int kMark = 18;
}  // namespace

DestinationCard::DestinationCard(const QString& title, const QString& text, QWidget* parent)
    : QAbstractButton(parent), text_(text) {
    setText(title);
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
    setAccessibleDescription(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DestinationCard::setNote(const QString& note) {
    note_ = note;
    setAccessibleDescription(text_ + QStringLiteral(" ") + note);
    updateGeometry();
    update();
}

QSize DestinationCard::minimumSizeHint() const {
    return {170, sizeHint().height()};
}

QSize DestinationCard::sizeHint() const {
    const QFontMetrics fm(font());
    const QFontMetrics cfm(UiStyle::scaledFont(font(), 0.86));
    const int width = 240;
    const int textWidth = width - 2 * kPad;
    const int body =
        cfm.boundingRect(QRect(0, 0, textWidth, 1000), Qt::TextWordWrap, text_).height();
    const int note =
        cfm.boundingRect(QRect(0, 0, textWidth, 1000), Qt::TextWordWrap, note_).height();
    return {width, kPad + kMark + 6 + fm.height() + 4 + body + 6 + note + kPad + cfm.height()};
}

void DestinationCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QColor accent = brandTeal();
    QColor fill = palette().color(QPalette::Base);
    if (isChecked()) fill = QColor::fromRgbF(accent.redF(), accent.greenF(), accent.blueF(), 0.12);
    p.setPen(QPen(isChecked() ? accent : palette().color(QPalette::Midlight), isChecked() ? 2 : 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, 10, 10);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(3, 3, -3, -3), 8, 8);
    }

    const QString mark =
        isChecked() ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
    p.drawPixmap(
        kPad, kPad,
        Symbols::drawn(mark, kMark,
                       isChecked() ? accent.darker(115) : UiStyle::secondaryText(palette()),
                       devicePixelRatioF()));
    int y = kPad + kMark + 6;
    const int w = width() - 2 * kPad;
    QFont bold = font();
    bold.setWeight(QFont::DemiBold);
    p.setFont(bold);
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(bold);
    p.drawText(QRect(kPad, y, w, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    y += fm.height() + 4;
    const QFont caption = UiStyle::scaledFont(font(), 0.86);
    const QFontMetrics cfm(caption);
    p.setFont(caption);
    p.setPen(UiStyle::secondaryText(palette()));
    const QRect body = cfm.boundingRect(QRect(kPad, y, w, 1000), Qt::TextWordWrap, text_);
    p.drawText(QRect(kPad, y, w, body.height()), Qt::TextWordWrap, text_);
    y += body.height() + 6;
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(kPad, y, w, height() - y - kPad), Qt::TextWordWrap | Qt::ElideRight, note_);
}

}  // namespace tarnwhistle
