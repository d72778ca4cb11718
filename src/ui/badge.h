// A small coloured capsule with a short text: the colour at 18 % behind, the text in the colour.
#pragma once

#include <QColor>
#include <QWidget>

class Badge : public QWidget {
    Q_OBJECT
  public:
    Badge(const QString& text, const QColor& color, QWidget* parent = nullptr);

    void set(const QString& text, const QColor& color);
    QString text() const { return text_; }
    QColor color() const { return color_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor color_;
};
