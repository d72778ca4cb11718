#include "ui/settings_pane.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/symbols.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

SettingsPane::SettingsPane(SettingsModel& model, const UiServices& services, QWidget* parent)
    : QWidget(parent), model_(model), services_(services) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    column_ = UiStyle::addScrollingColumn(outer);
    column_->setContentsMargins(22, 6, 22, 18);
    column_->setSpacing(18);
}

QCheckBox* SettingsPane::makeSwitch(std::function<void(DeploymentConfig&, bool)> write) {
    auto* box = new QCheckBox(this);
    connect(box, &QCheckBox::toggled, this,
            [this, write](bool on) { model_.edit([&](DeploymentConfig& c) { write(c, on); }); });
    return box;
}

QSpinBox* SettingsPane::makeStepper(int min, int max, const QString& suffix,
                                    std::function<void(DeploymentConfig&, qint64)> write,
                                    int unit) {
    auto* box = new QSpinBox(this);
    box->setRange(min, max);
    box->setSuffix(suffix);
    box->setMinimumWidth(110);
    connect(box, &QSpinBox::valueChanged, this, [this, write, unit](int value) {
        model_.edit([&](DeploymentConfig& c) { write(c, qint64(value) * unit); });
    });
    return box;
}

QLineEdit* SettingsPane::makeField(const QString& placeholder,
                                   std::function<void(DeploymentConfig&, const QString&)> write) {
    auto* field = new QLineEdit(this);
    field->setPlaceholderText(placeholder);
    field->setMinimumWidth(260);
    connect(field, &QLineEdit::textEdited, this, [this, write](const QString& text) {
        model_.edit([&](DeploymentConfig& c) { write(c, text); });
    });
    return field;
}

QPushButton* SettingsPane::makeButton(const QString& text, const QString& symbol,
                                      const QColor& tint) {
    auto* button = new QPushButton(text, this);
    if (!symbol.isEmpty()) button->setIcon(Symbols::icon(symbol, tint));
    button->setAccessibleName(text);
    return button;
}

QPushButton* SettingsPane::makeLinkButton(const QString& text, const QString& symbol) {
    auto* button = makeButton(text, symbol, palette().color(QPalette::Link));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: palette(link); text-align: left; "
                       "border: none; padding: 2px; }"));
    return button;
}

void SettingsPane::setChecked(QCheckBox* box, bool on) {
    const QSignalBlocker block(box);
    box->setChecked(on);
}

void SettingsPane::setValue(QSpinBox* box, qint64 value, int unit) {
    const QSignalBlocker block(box);
    box->setValue(int(value / unit));
}

void SettingsPane::setText(QLineEdit* field, const QString& text) {
    if (field->text() == text) return;
    const QSignalBlocker block(field);
    field->setText(text);
}

}  // namespace tarnwhistle
