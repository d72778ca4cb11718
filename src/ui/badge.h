// A small coloured capsule with a short text: the colour at 18 % behind, the text in the colour.
#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

namespace tarnwhistle {

class Badge : public QWidget {
    Q_OBJECT
  public:
    Badge(const QString& text, const QColor& color, QWidget* parent = nullptr);

    void set(const QString& text, const QColor& color);

    // The badge's font, from the surrounding font.
    static QFont font(const QFont& base);
    // The size of a badge holding `text` in font(base).
    static QSize size(const QFont& base, const QString& text);
    // Paints a badge into `rect` in font(base): on `ground` when given (a selected row, where the
    // tint would vanish), else the colour at 18 %. `window` is the colour around it.
    static void paint(QPainter& p, const QRect& rect, const QFont& base, const QString& text,
                      const QColor& color, const QColor& window, const QColor& ground = QColor());

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor color_;
};

}  // namespace tarnwhistle
