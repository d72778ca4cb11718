#include "ui/settings_signals_pane.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "signals/signal_type.h"
#include "ui/badge.h"
#include "ui/setting_blocks.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

SettingsSignalsPane::SettingsSignalsPane(SettingsModel& model, const UiServices& services,
                                         QWidget* parent)
    : SettingsPane(model, services, parent) {
    auto* header = new QHBoxLayout;
    count_ = new QLabel(this);
    count_->setFont(UiStyle::scaledFont(font(), 1.0, QFont::DemiBold));
    header->addWidget(count_, 1);
    auto* restore = makeButton(QStringLiteral("Restore defaults"));
    restore->setAccessibleName(QStringLiteral("Restore default signals"));
    connect(restore, &QPushButton::clicked, this, [this] {
        model_.edit([](DeploymentConfig& c) { c.enabledSignals = SignalType::defaultEnabled(); });
        load();
    });
    header->addWidget(restore);
    column()->addLayout(header);

    for (SignalType::Group group : SignalType::allGroups()) {
        auto* box = new SettingsGroup(SignalType::title(group), {}, this);
        for (const SignalType& type : SignalType::allCases()) {
            if (type.group() != group) continue;
            const QString name = type.rawValue();
            auto* control = new QWidget(this);
            auto* line = new QHBoxLayout(control);
            line->setContentsMargins(0, 0, 0, 0);
            line->setSpacing(10);
            const bool later =
                type == SignalType::processStep || type == SignalType::interactionFriction;
            if (later)
                line->addWidget(
                    new Badge(QStringLiteral("Coming later"), UiStyle::gray(), control));
            else if (type == SignalType::inputPattern)
                line->addWidget(new Badge(QStringLiteral("Sensitive"), UiStyle::orange(), control));
            else if (type.needsClassifier())
                line->addWidget(
                    new Badge(QStringLiteral("On-device AI"), UiStyle::purple(), control));
            auto* toggle =
                makeSwitch([name](DeploymentConfig& c, bool on) { c.enabledSignals[name] = on; });
            toggle->setAccessibleName(name);
            toggle->setAccessibleDescription(type.summary());
            toggle->setEnabled(!later);
            line->addWidget(toggle);
            switches_.insert(name, toggle);
            auto* row = new SettingRow({}, {}, name, type.summary(), control, box);
            row->titleLabel()->setFont(UiStyle::monospaceFont());
            box->addRow(row);
        }
        column()->addWidget(box);
    }
    column()->addStretch(1);
    connect(&model_, &SettingsModel::edited, this, &SettingsSignalsPane::updateCount);
    load();
}

QString SettingsSignalsPane::countText() const {
    return QString::number(SettingsModel::signalsOnCount(model_.draft().enabledSignals)) +
           QStringLiteral(" of ") + QString::number(SignalType::allCases().size()) +
           QStringLiteral(" signals switched on");
}

void SettingsSignalsPane::updateCount() {
    count_->setText(countText());
}

void SettingsSignalsPane::load() {
    const auto& enabled = model_.draft().enabledSignals;
    for (auto it = switches_.cbegin(); it != switches_.cend(); ++it)
        setChecked(it.value(), SignalType::fromRawValue(it.key())->isOn(enabled));
    updateCount();
}

}  // namespace tarnwhistle
