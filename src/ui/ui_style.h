// Shared look of the windows: the secondary text colour derived from the desktop palette,
// the named system colours of states and badges, and font helpers.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QVBoxLayout;
class QLabel;
class QPalette;
class QWidget;

namespace tarnwhistle {

namespace UiStyle {

// Window text blended towards the window background: secondary text in light and dark themes.
QColor secondaryText(const QPalette& palette);
void makeSecondary(QLabel* label);
// Caption size (about 85 %) and, optionally, secondary colour.
void makeCaption(QLabel* label, bool secondary = true);
QLabel* secondaryLabel(const QString& text, QWidget* parent = nullptr, bool wrap = true);
QFont scaledFont(const QFont& base, qreal factor, QFont::Weight weight = QFont::Normal);
QFont monospaceFont(qreal factor = 1.0);

// The system colours: the states' colours (tray dot, status pill), badges and tinted symbols.
// Badges darken a pale one on a light window.
QColor green();
QColor orange();
QColor yellow();
QColor red();
QColor blue();
QColor gray();
QColor purple();

// Adds to `outer` a frameless, vertically scrolling area (stretching) and returns the layout of
// its content; the content widget is the layout's parentWidget(). Tab moves from control to
// control (the area follows the focus), never to the area itself.
QVBoxLayout* addScrollingColumn(QVBoxLayout* outer);

}  // namespace UiStyle

}  // namespace tarnwhistle
