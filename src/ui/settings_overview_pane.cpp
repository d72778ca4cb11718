#include "ui/settings_overview_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "app/app_status.h"
#include "config/config_store.h"
#include "intelligence/classifier.h"
#include "ui/setting_blocks.h"
#include "ui/settings_categories_pane.h"
#include "ui/status_hero.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"
#include "ui/windows.h"

namespace tarnwhistle {

namespace {

// "Allowed" or "Not needed" as a mark and a word, or the button that asks.
QWidget* permissionHolder(QWidget* parent, QPushButton* ask) {
    auto* holder = new QWidget(parent);
    auto* stack = new QStackedLayout(holder);
    auto* allowed = new QWidget(holder);
    auto* line = new QHBoxLayout(allowed);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(symbolLabel(QStringLiteral("checkmark.circle.fill"), UiStyle::green(), 16));
    line->addWidget(new QLabel(QStringLiteral("Allowed"), allowed));
    stack->addWidget(allowed);
    stack->addWidget(UiStyle::secondaryLabel(QStringLiteral("Not needed"), holder, false));
    stack->addWidget(ask);
    return holder;
}

}  // namespace

SettingsOverviewPane::Permission SettingsOverviewPane::permission(bool granted, bool required) {
    if (granted) return Permission::allowed;
    return required ? Permission::ask : Permission::notNeeded;
}

SettingsOverviewPane::SettingsOverviewPane(SettingsModel& model, const UiServices& services,
                                           QWidget* parent)
    : SettingsPane(model, services, parent) {
    if (services_.status && services_.outbox) {
        hero_ = new StatusHero(*services_.status, *services_.outbox, this);
        column()->addWidget(hero_);
    }

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(10);
    today_ = new StatTile(QStringLiteral("0"), QStringLiteral("Signals today"),
                          QStringLiteral("waveform.path.ecg"), this);
    waiting_ = new StatTile(QStringLiteral("0"), QStringLiteral("Waiting to send"),
                            QStringLiteral("tray.full"), this);
    switchedOn_ = new StatTile(QStringLiteral("0"), QStringLiteral("Signals switched on"),
                               QStringLiteral("switch.2"), this);
    tiles->addWidget(today_);
    tiles->addWidget(waiting_);
    tiles->addWidget(switchedOn_);
    column()->addLayout(tiles);

    auto* permissions = new SettingsGroup(QStringLiteral("Permissions"), {}, this);
    auto makeAsk = [this](const char* what, std::function<void()> open) {
        auto* ask = makeButton(QStringLiteral("Open the desktop's settings"),
                               QStringLiteral("exclamationmark.circle.fill"), UiStyle::orange());
        ask->setAccessibleName(QStringLiteral("Open the desktop's settings for ") +
                               QLatin1String(what));
        connect(ask, &QPushButton::clicked, this, [open] {
            if (open) open();
        });
        return ask;
    };
    accessibility_ =
        permissionHolder(this, makeAsk("Accessibility", services_.openAccessibilitySettings));
    capture_ =
        permissionHolder(this, makeAsk("Screen Recording", services_.openScreenRecordingSettings));
    permissions->addRow(new SettingRow(
        QStringLiteral("hand.raised.fill"), UiStyle::blue(), QStringLiteral("Accessibility"),
        QStringLiteral("See which app and window are in front; count keys and clicks."),
        accessibility_, permissions));
    permissions->addRow(new SettingRow(
        QStringLiteral("text.viewfinder"), UiStyle::purple(), QStringLiteral("Screen Recording"),
        QStringLiteral("Only for the optional screenshot reader."), capture_, permissions));
    column()->addWidget(permissions);

    auto* understanding =
        new Panel(QStringLiteral("On-device understanding"), QStringLiteral("cpu.fill"), this);
    engine_ = new QLabel(understanding);
    engine_->setFont(UiStyle::scaledFont(font(), 1.0, QFont::DemiBold));
    understanding->content()->addWidget(engine_);
    understanding->content()->addWidget(UiStyle::secondaryLabel(
        QStringLiteral("Text on screen is read only on this computer to pick a label. Only the "
                       "label is sent."),
        understanding));
    column()->addWidget(understanding);

    auto* buttons = new QHBoxLayout;
    auto* dashboard =
        makeButton(QStringLiteral("Open Dashboard"), QStringLiteral("chart.xyaxis.line"));
    auto* activity =
        makeButton(QStringLiteral("Activity Log"), QStringLiteral("list.bullet.rectangle"));
    pause_ = makeButton(QStringLiteral("Pause"), QStringLiteral("pause.fill"));
    buttons->addWidget(dashboard);
    buttons->addWidget(activity);
    buttons->addStretch(1);
    buttons->addWidget(pause_);
    column()->addLayout(buttons);
    column()->addStretch(1);

    connect(dashboard, &QPushButton::clicked, this, [this] {
        if (services_.openUrl) services_.openUrl(services_.dashboardUrl);
    });
    connect(activity, &QPushButton::clicked, this, [this] {
        if (services_.openWindow) services_.openWindow(Windows::activity);
    });
    connect(pause_, &QPushButton::clicked, &model_, &SettingsModel::togglePause);

    if (services_.status) {
        connect(services_.status, &AppStatus::countsChanged, this, &SettingsOverviewPane::refresh);
        connect(services_.status, &AppStatus::refreshed, this, &SettingsOverviewPane::refresh);
    }
    if (services_.classifier)
        connect(services_.classifier, &Classifier::engineIndicatorChanged, this,
                &SettingsOverviewPane::refresh);
    if (services_.configStore)
        connect(services_.configStore, &ConfigStore::configChanged, this,
                &SettingsOverviewPane::refresh);
    connect(&model_, &SettingsModel::edited, this, &SettingsOverviewPane::refresh);
    refresh();
}

void SettingsOverviewPane::showPermission(QWidget* holder, Permission permission) {
    static_cast<QStackedLayout*>(holder->layout())->setCurrentIndex(int(permission));
    holder->setAccessibleName(permission == Permission::allowed ? QStringLiteral("Allowed")
                              : permission == Permission::notNeeded
                                  ? QStringLiteral("Not needed")
                                  : QStringLiteral("Not allowed"));
}

void SettingsOverviewPane::refresh() {
    if (services_.status) {
        today_->setValue(QString::number(services_.status->signalsToday()));
        waiting_->setValue(QString::number(services_.status->waiting()));
        showPermission(accessibility_, permission(services_.status->trusted(), true));
    }
    switchedOn_->setValue(
        QString::number(SettingsModel::signalsOnCount(model_.draft().enabledSignals)));
    const bool captureAllowed = !services_.screenCaptureAllowed || services_.screenCaptureAllowed();
    showPermission(capture_, permission(captureAllowed, model_.draft().screenshotReader));
    engine_->setText(SettingsCategoriesPane::engineText(
        services_.classifier ? services_.classifier->engineIndicator()
                             : Classifier::indicatorRulesOnly));
    engine_->setAccessibleName(engine_->text());
    const bool paused = model_.saved().paused;
    pause_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    pause_->setAccessibleName(pause_->text());
    pause_->setIcon(
        Symbols::icon(paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill")));
}

void SettingsOverviewPane::load() {
    refresh();
}

}  // namespace tarnwhistle
