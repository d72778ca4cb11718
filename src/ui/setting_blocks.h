// The plain building blocks of the Settings window (also used by the welcome window):
// a setting row, a titled group card of rows, a panel card and a stat tile.
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace tarnwhistle {

// A rounded card drawn in the palette's base colour.
class Card : public QFrame {
    Q_OBJECT
  public:
    explicit Card(QWidget* parent = nullptr);
};

// One line: a tinted symbol, the title with the detail below it in secondary style, the
// control at the trailing edge, a divider below unless hidden. The control gets the title as
// its accessible name (and the detail as its description) unless it already has one.
class SettingRow : public QWidget {
    Q_OBJECT
  public:
    SettingRow(const QString& symbol, const QColor& tint, const QString& title,
               const QString& detail, QWidget* control, QWidget* parent = nullptr);

    void setShowDivider(bool show);
    void setDetail(const QString& detail);
    QLabel* titleLabel() const { return title_; }
    QLabel* detailLabel() const { return detail_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLabel* title_;
    QLabel* detail_;
    QWidget* control_;
    bool showDivider_ = true;
};

// A titled card of rows with an optional footnote below.
class SettingsGroup : public QWidget {
    Q_OBJECT
  public:
    explicit SettingsGroup(const QString& title = {}, const QString& footer = {},
                           QWidget* parent = nullptr);

    // Adds a row; the previous row gets its divider, the last has none.
    SettingRow* addRow(SettingRow* row);
    // Adds any widget inside the card, padded like a row; returns the padding holder (hide it
    // to hide the line).
    QWidget* addWidget(QWidget* widget);

  private:
    Card* card_;
    QVBoxLayout* rows_;
    SettingRow* lastRow_ = nullptr;
};

// A card with an optional heading (symbol and title).
class Panel : public Card {
    Q_OBJECT
  public:
    explicit Panel(const QString& title = {}, const QString& symbol = {},
                   QWidget* parent = nullptr);
    QVBoxLayout* content() const { return content_; }

  private:
    QVBoxLayout* content_;
};

// A number with a caption and a symbol.
class StatTile : public Card {
    Q_OBJECT
  public:
    StatTile(const QString& value, const QString& label, const QString& symbol,
             QWidget* parent = nullptr);
    void setValue(const QString& value);
    QString value() const;

  private:
    QLabel* value_;
    QString label_;
};

// A symbol as a fixed-size label.
QLabel* symbolLabel(const QString& symbol, const QColor& tint, int size = 18,
                    QWidget* parent = nullptr);

}  // namespace tarnwhistle
