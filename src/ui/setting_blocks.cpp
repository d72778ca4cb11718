#include "ui/setting_blocks.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

QLabel* symbolLabel(const QString& symbol, const QColor& tint, int size, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(Symbols::icon(symbol, tint).pixmap(size, size));
    label->setFixedSize(size + 4, size + 4);
    label->setAlignment(Qt::AlignCenter);
    label->setAccessibleName(QString());
    return label;
}

Card::Card(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("card"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral(
        "QFrame#card { background: palette(base); border: 1px solid palette(midlight);"
        " border-radius: 9px; }"));
}

SettingRow::SettingRow(const QString& symbol, const QColor& tint, const QString& title,
                       const QString& detail, QWidget* control, QWidget* parent)
    : QWidget(parent), control_(control) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 9, 12, 9);
    layout->setSpacing(10);
    if (!symbol.isEmpty()) layout->addWidget(symbolLabel(symbol, tint, 18, this), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    title_ = new QLabel(title, this);
    title_->setWordWrap(true);
    detail_ = UiStyle::secondaryLabel(detail, this);
    UiStyle::makeCaption(detail_);
    detail_->setVisible(!detail.isEmpty());
    texts->addWidget(title_);
    texts->addWidget(detail_);
    layout->addLayout(texts, 1);
    if (control) {
        layout->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
        if (control->accessibleName().isEmpty()) control->setAccessibleName(title);
        if (control->accessibleDescription().isEmpty() && !detail.isEmpty())
            control->setAccessibleDescription(detail);
        title_->setBuddy(control);
    }
}

void SettingRow::setShowDivider(bool show) {
    showDivider_ = show;
    update();
}

void SettingRow::setDetail(const QString& detail) {
    detail_->setText(detail);
    detail_->setVisible(!detail.isEmpty());
    if (control_) control_->setAccessibleDescription(detail);
}

void SettingRow::paintEvent(QPaintEvent*) {
    if (!showDivider_) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::Midlight));
    p.drawLine(42, height() - 1, width() - 12, height() - 1);
}

SettingsGroup::SettingsGroup(const QString& title, const QString& footer, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    if (!title.isEmpty()) {
        auto* heading = new QLabel(title, this);
        heading->setFont(UiStyle::scaledFont(font(), 1.0, QFont::DemiBold));
        heading->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(heading);
    }
    card_ = new Card(this);
    rows_ = new QVBoxLayout(card_);
    rows_->setContentsMargins(0, 2, 0, 2);
    rows_->setSpacing(0);
    layout->addWidget(card_);
    if (!footer.isEmpty()) {
        auto* foot = UiStyle::secondaryLabel(footer, this);
        UiStyle::makeCaption(foot);
        foot->setContentsMargins(4, 0, 4, 0);
        layout->addWidget(foot);
    }
}

SettingRow* SettingsGroup::addRow(SettingRow* row) {
    if (lastRow_) lastRow_->setShowDivider(true);
    row->setShowDivider(false);
    rows_->addWidget(row);
    lastRow_ = row;
    return row;
}

QWidget* SettingsGroup::addWidget(QWidget* widget) {
    if (lastRow_) lastRow_->setShowDivider(true);
    lastRow_ = nullptr;
    auto* pad = new QWidget(card_);
    auto* padding = new QVBoxLayout(pad);
    padding->setContentsMargins(12, 9, 12, 9);
    padding->addWidget(widget);
    rows_->addWidget(pad);
    return pad;
}

Panel::Panel(const QString& title, const QString& symbol, QWidget* parent) : Card(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 12, 14, 12);
    outer->setSpacing(8);
    if (!title.isEmpty()) {
        auto* head = new QHBoxLayout;
        head->setSpacing(6);
        if (!symbol.isEmpty()) head->addWidget(symbolLabel(symbol, QColor(), 16, this));
        auto* heading = new QLabel(title, this);
        heading->setFont(UiStyle::scaledFont(font(), 1.0, QFont::DemiBold));
        head->addWidget(heading);
        head->addStretch(1);
        outer->addLayout(head);
    }
    content_ = new QVBoxLayout;
    content_->setSpacing(6);
    outer->addLayout(content_);
}

StatTile::StatTile(const QString& value, const QString& label, const QString& symbol,
                   QWidget* parent)
    : Card(parent), label_(label) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(2);
    auto* top = new QHBoxLayout;
    value_ = new QLabel(value, this);
    value_->setFont(UiStyle::scaledFont(font(), 1.7, QFont::Bold));
    top->addWidget(value_);
    top->addStretch(1);
    top->addWidget(symbolLabel(symbol, UiStyle::secondaryText(palette()), 18, this), 0,
                   Qt::AlignTop);
    layout->addLayout(top);
    auto* caption = UiStyle::secondaryLabel(label, this, false);
    layout->addWidget(caption);
    setValue(value);
}

void StatTile::setValue(const QString& value) {
    value_->setText(value);
    setAccessibleName(label_ + QStringLiteral(": ") + value);
}

QString StatTile::value() const {
    return value_->text();
}

}  // namespace tarnwhistle
