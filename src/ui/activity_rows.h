// The row drawings of the Activity Log's three lists. Each list's model carries the texts in
// the roles below; the delegates only paint them (no widget per row, so a 3-second reload of
// 200 rows stays cheap).
#pragma once

#include <QStyledItemDelegate>

namespace tarnwhistle {

namespace ActivityRows {

enum Role {
    idRole = Qt::UserRole + 1,  // batch id or signal id
    badgeTextRole,
    badgeColorRole,
    timeRole,
    countRole,   // "N signals"
    detailRole,  // the batch's types, the signal's JSON or the event's detail
    errorRole,   // a batch's last error (orange), absent when none
    kindRole,    // an event's kind
};

// Batches: badge, time (bold), "N signals"; the types; the last error in orange when present.
class BatchDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// Signals: the type in bold, the JSON below in a small monospaced font.
class SignalDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// Events: time of day, the kind in a 150-pixel column, the detail.
class EventDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace ActivityRows

}  // namespace tarnwhistle
