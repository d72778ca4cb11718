// The small drawn logo: a teal-to-mint rounded tile holding three rising bars and a dot, the
// same figure as the tray icon. Usable as a widget or painted into any rectangle.
#pragma once

#include <QPixmap>
#include <QWidget>

class QPainter;

namespace tarnwhistle {

class BrandMark : public QWidget {
    Q_OBJECT
  public:
    explicit BrandMark(int size = 28, QWidget* parent = nullptr);

    // Draws the mark into `rect` (square or not; it keeps its proportions, centred).
    static void paint(QPainter& painter, const QRectF& rect);
    // The mark as a pixmap of `size` × `size` device-independent pixels.
    static QPixmap pixmap(int size, qreal devicePixelRatio = 1.0);

    QSize sizeHint() const override { return {size_, size_}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int size_;
};

}  // namespace tarnwhistle
