// A state's title in a capsule coloured with the state's colour: a tinted capsule, a dot in the
// full colour, and the title in the palette's text colour so it reads on light and dark themes.
#pragma once

#include <QColor>
#include <QWidget>

namespace tarnwhistle {

class StatusPill : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPill(QWidget* parent = nullptr);

    void setState(const QString& title, const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QString title_;
    QColor color_;
};

}  // namespace tarnwhistle
