// One of the three delivery destinations as a clickable card: a mark (checked or not), the
// title, what it is, and its state below. A checkable button, so keyboard and screen readers
// treat it as one.
#pragma once

#include <QAbstractButton>

namespace tarnwhistle {

class DestinationCard : public QAbstractButton {
    Q_OBJECT
  public:
    DestinationCard(const QString& title, const QString& text, QWidget* parent = nullptr);

    void setNote(const QString& note);
    QString note() const { return note_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QString note_;
};

}  // namespace tarnwhistle
