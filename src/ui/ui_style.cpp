#include "ui/ui_style.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tarnwhistle {

namespace UiStyle {

QColor secondaryText(const QPalette& palette) {
    const QColor fg = palette.color(QPalette::WindowText);
    const QColor bg = palette.color(QPalette::Window);
    const qreal a = 0.62;
    return QColor::fromRgbF(fg.redF() * a + bg.redF() * (1 - a),
                            fg.greenF() * a + bg.greenF() * (1 - a),
                            fg.blueF() * a + bg.blueF() * (1 - a));
}

void makeSecondary(QLabel* label) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, secondaryText(pal));
    label->setPalette(pal);
}

void makeCaption(QLabel* label, bool secondary) {
    label->setFont(scaledFont(label->font(), 0.86));
    if (secondary) makeSecondary(label);
}

QLabel* secondaryLabel(const QString& text, QWidget* parent, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(wrap);
    makeSecondary(label);
    return label;
}

QFont scaledFont(const QFont& base, qreal factor, QFont::Weight weight) {
    QFont f = base;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * factor);
    else
        f.setPixelSize(qRound(f.pixelSize() * factor));
    f.setWeight(weight);
    return f;
}

QFont monospaceFont(qreal factor) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return scaledFont(f, factor);
}

QColor green() {
    return QColor(52, 199, 89);
}
QColor orange() {
    return QColor(255, 149, 0);
}
QColor yellow() {
    return QColor(255, 204, 0);
}
QColor red() {
    return QColor(255, 59, 48);
}
QColor blue() {
    return QColor(0, 122, 255);
}
QColor gray() {
    return QColor(142, 142, 147);
}
QColor purple() {
    return QColor(175, 82, 222);
}

QVBoxLayout* addScrollingColumn(QVBoxLayout* outer) {
    auto* scroll = new QScrollArea(outer->parentWidget());
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget(scroll);
    auto* column = new QVBoxLayout(content);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    return column;
}

}  // namespace UiStyle

}  // namespace tarnwhistle
