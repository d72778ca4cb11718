#include "ui/activity_rows.h"

#include <QApplication>
#include <QPainter>

#include "ui/badge.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

namespace ActivityRows {
namespace {

constexpr int kPad = 8;

// The selection background of the style, without its text.
void paintBackground(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) {
    QStyleOptionViewItem opt = option;
    opt.text.clear();
    opt.icon = QIcon();
    opt.index = index;
    const QWidget* w = option.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);
}

QColor textColor(const QStyleOptionViewItem& option, bool secondary) {
    if (option.state & QStyle::State_Selected)
        return option.palette.color(QPalette::HighlightedText);
    return secondary ? UiStyle::secondaryText(option.palette)
                     : option.palette.color(QPalette::Text);
}

QFont captionFont(const QFont& base) {
    return UiStyle::scaledFont(base, 0.86);
}

}  // namespace

void BatchDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    paintBackground(p, option, index);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect.adjusted(kPad, 5, -kPad, -5);
    const QFontMetrics fm(option.font);
    int x = r.left();
    int y = r.top();

    const QString badge = index.data(badgeTextRole).toString();
    const QSize badgeSize = Badge::size(option.font, badge);
    const QRect badgeRect(QPoint(x, y + (fm.height() - badgeSize.height()) / 2), badgeSize);
    const bool selected = option.state & QStyle::State_Selected;
    Badge::paint(*p, badgeRect, option.font, badge, index.data(badgeColorRole).value<QColor>(),
                 option.palette.color(QPalette::Base),
                 selected ? option.palette.color(QPalette::Base) : QColor());
    x = badgeRect.right() + 8;

    QFont bold = option.font;
    bold.setBold(true);
    p->setFont(bold);
    p->setPen(textColor(option, false));
    const QString time = index.data(timeRole).toString();
    p->drawText(QRect(x, y, r.right() - x, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, time);
    x += QFontMetrics(bold).horizontalAdvance(time) + 8;
    p->setFont(option.font);
    p->setPen(textColor(option, true));
    p->drawText(QRect(x, y, r.right() - x, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(countRole).toString());
    y += fm.height() + 2;

    const QFont cf = captionFont(option.font);
    const QFontMetrics cfm(cf);
    p->setFont(cf);
    p->drawText(QRect(r.left(), y, r.width(), cfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                cfm.elidedText(index.data(detailRole).toString(), Qt::ElideRight, r.width()));
    const QVariant error = index.data(errorRole);
    if (error.isValid()) {
        y += cfm.height() + 1;
        p->setPen(selected ? option.palette.color(QPalette::HighlightedText) : UiStyle::orange());
        p->drawText(QRect(r.left(), y, r.width(), cfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    cfm.elidedText(error.toString(), Qt::ElideRight, r.width()));
    }
    p->restore();
}

QSize BatchDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int lines = index.data(errorRole).isValid() ? 2 : 1;
    const QFontMetrics fm(option.font);
    const QFontMetrics cfm(captionFont(option.font));
    return {320, 10 + fm.height() + 2 + lines * (cfm.height() + 1)};
}

void SignalDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    paintBackground(p, option, index);
    p->save();
    const QRect r = option.rect.adjusted(kPad, 5, -kPad, -5);
    QFont bold = option.font;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    p->setFont(bold);
    p->setPen(textColor(option, false));
    p->drawText(QRect(r.left(), r.top(), r.width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(Qt::DisplayRole).toString());
    const QFont mono = UiStyle::monospaceFont(0.85);
    const QFontMetrics mfm(mono);
    p->setFont(mono);
    p->setPen(textColor(option, true));
    p->drawText(QRect(r.left(), r.top() + fm.height() + 2, r.width(), r.height() - fm.height() - 2),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere,
                index.data(detailRole).toString());
    p->restore();
}

QSize SignalDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QFont bold = option.font;
    bold.setBold(true);
    const QFontMetrics mfm(UiStyle::monospaceFont(0.85));
    const int width = qMax(200, (option.widget ? option.widget->width() : 800) - 2 * kPad - 24);
    const QRect text = mfm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWrapAnywhere,
                                        index.data(detailRole).toString());
    return {width, 10 + QFontMetrics(bold).height() + 2 + text.height()};
}

void EventDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    paintBackground(p, option, index);
    p->save();
    const QRect r = option.rect.adjusted(kPad, 0, -kPad, 0);
    const QFont mono = UiStyle::monospaceFont(0.92);  // fixed-width digits
    const QFontMetrics mfm(mono);
    const QString time = index.data(timeRole).toString();
    p->setFont(mono);
    p->setPen(textColor(option, true));
    p->drawText(QRect(r.left(), r.top(), r.width(), r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                time);
    int x = r.left() + mfm.horizontalAdvance(time) + 14;
    p->setFont(option.font);
    p->setPen(textColor(option, false));
    p->drawText(QRect(x, r.top(), 150, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(kindRole).toString());
    x += 150 + 8;
    p->setPen(textColor(option, true));
    const QFontMetrics fm(option.font);
    p->drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                fm.elidedText(index.data(detailRole).toString(), Qt::ElideRight, r.right() - x));
    p->restore();
}

QSize EventDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {400, QFontMetrics(option.font).height() + 8};
}

}  // namespace ActivityRows

}  // namespace tarnwhistle
