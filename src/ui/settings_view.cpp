#include "ui/settings_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "config/config_store.h"
#include "ui/brand_colors.h"
#include "ui/settings_categories_pane.h"
#include "ui/settings_delivery_pane.h"
#include "ui/settings_general_pane.h"
#include "ui/settings_identity_pane.h"
#include "ui/settings_overview_pane.h"
#include "ui/settings_privacy_pane.h"
#include "ui/settings_signals_pane.h"
#include "ui/status_pill.h"
#include "ui/symbols.h"
#include "ui/ui_style.h"
#include "ui/window_definitions.h"

namespace tarnwhistle {

SettingsView::PaneInfo SettingsView::info(Pane pane) {
    switch (pane) {
        case Pane::overview:
            return {"Overview", "Status of this computer at a glance.",
                    "gauge.with.dots.needle.67percent"};
        case Pane::signalTypes:
            return {"Signals",
                    "Choose which signals this computer sends. Each one contains only times, "
                    "counts, categories and coded ids.",
                    "waveform.path.ecg"};
        case Pane::privacy:
            return {"Privacy",
                    "Nothing at all is noticed while an ignored app, website or window is in "
                    "front.",
                    "hand.raised.fill"};
        case Pane::categories:
            return {"Categories", "The labels the on-device classifier can choose from.",
                    "tag.fill"};
        case Pane::delivery:
            return {"Delivery", "Where signals are sent, and how often.", "paperplane.fill"};
        case Pane::identity:
            return {"Identity", "How this computer and person appear in the data, without names.",
                    "person.text.rectangle.fill"};
        case Pane::general:
            return {"General", "Startup, the optional screenshot reader, and the settings file.",
                    "gearshape.fill"};
    }
    return {};
}

SettingsView::SettingsView(const UiServices& services, QWidget* parent)
    : QWidget(parent), services_(services), model_(*services.configStore, this) {
    model_.setPaused = services_.setPaused;
    model_.applyLoginItem = services_.applyLoginItem;

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sidebar_ = new QListWidget(this);
    sidebar_->setAccessibleName(QStringLiteral("Sections"));
    sidebar_->setFixedWidth(190);
    sidebar_->setIconSize(QSize(18, 18));
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setSpacing(2);
    sidebar_->setStyleSheet(
        QStringLiteral("QListWidget { background: palette(window); padding: 10px 6px; }"
                       "QListWidget::item { padding: 6px 6px; border-radius: 6px; }"
                       "QListWidget::item:selected { background: palette(highlight);"
                       " color: palette(highlighted-text); }"));
    for (int i = 0; i < paneCount; ++i) {
        const PaneInfo pane = info(Pane(i));
        auto* item = new QListWidgetItem(Symbols::icon(pane.symbol, brandTeal().darker(125)),
                                         pane.title, sidebar_);
        item->setData(Qt::AccessibleDescriptionRole, pane.subtitle);
    }
    // The sidebar ends with the agent's state, as in the tray menu.
    auto* side = new QWidget(this);
    side->setFixedWidth(190);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 14);
    sideLayout->addWidget(sidebar_, 1);
    pill_ = new StatusPill(side);
    sideLayout->addWidget(pill_, 0, Qt::AlignHCenter);
    if (services_.status) bindStatusPill(pill_, *services_.status);
    layout->addWidget(side);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: palette(midlight);"));
    layout->addWidget(divider);

    auto* main = new QVBoxLayout;
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    auto* header = new QVBoxLayout;
    header->setContentsMargins(22, 18, 22, 10);
    header->setSpacing(2);
    title_ = new QLabel(this);
    title_->setFont(UiStyle::scaledFont(font(), 1.45, QFont::Bold));
    subtitle_ = UiStyle::secondaryLabel({}, this);
    header->addWidget(title_);
    header->addWidget(subtitle_);
    main->addLayout(header);

    stack_ = new QStackedWidget(this);
    panes_[int(Pane::overview)] = new SettingsOverviewPane(model_, services_, stack_);
    panes_[int(Pane::signalTypes)] = new SettingsSignalsPane(model_, services_, stack_);
    panes_[int(Pane::privacy)] = new SettingsPrivacyPane(model_, services_, stack_);
    panes_[int(Pane::categories)] = new SettingsCategoriesPane(model_, services_, stack_);
    panes_[int(Pane::delivery)] = new SettingsDeliveryPane(model_, services_, stack_);
    panes_[int(Pane::identity)] = new SettingsIdentityPane(model_, services_, stack_);
    panes_[int(Pane::general)] = new SettingsGeneralPane(model_, services_, stack_);
    for (SettingsPane* pane : panes_) stack_->addWidget(pane);
    main->addWidget(stack_, 1);

    auto* footer = new QFrame(this);
    footer->setObjectName(QStringLiteral("footer"));
    footer->setStyleSheet(QStringLiteral(
        "QFrame#footer { border-top: 1px solid palette(midlight); background: palette(window); }"));
    auto* bar = new QHBoxLayout(footer);
    bar->setContentsMargins(22, 10, 22, 10);
    footerIcon_ = new QLabel(footer);
    footerText_ = new QLabel(footer);
    revert_ = new QPushButton(QStringLiteral("Revert"), footer);
    save_ = new QPushButton(QStringLiteral("Save"), footer);
    save_->setDefault(true);
    save_->setToolTip(QStringLiteral("Save (Ctrl+S)"));
    bar->addWidget(footerIcon_);
    bar->addWidget(footerText_);
    bar->addStretch(1);
    bar->addWidget(revert_);
    bar->addWidget(save_);
    main->addWidget(footer);
    layout->addLayout(main, 1);

    auto* shortcut = new QShortcut(QKeySequence::Save, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (model_.dirty()) model_.save();
    });
    connect(save_, &QPushButton::clicked, &model_, &SettingsModel::save);
    connect(revert_, &QPushButton::clicked, &model_, &SettingsModel::revert);
    connect(services_.configStore, &ConfigStore::lastErrorChanged, this,
            &SettingsView::updateFooter);
    connect(sidebar_, &QListWidget::currentRowChanged, this,
            [this](int row) { showPane(Pane(row)); });
    connect(&model_, &SettingsModel::dirtyChanged, this, &SettingsView::updateFooter);
    connect(&model_, &SettingsModel::reset, this, [this] {
        for (SettingsPane* pane : panes_) pane->load();
    });

    sidebar_->setCurrentRow(0);
    showPane(Pane::overview);
    updateFooter();
}

void SettingsView::showPane(Pane pane) {
    section_ = pane;
    const PaneInfo paneInfo = info(pane);
    title_->setText(paneInfo.title);
    subtitle_->setText(paneInfo.subtitle);
    stack_->setCurrentIndex(int(pane));
    if (sidebar_->currentRow() != int(pane)) sidebar_->setCurrentRow(int(pane));
}

void SettingsView::closeEvent(QCloseEvent* event) {
    model_.revert();
    QWidget::closeEvent(event);
}

QString SettingsView::footerText() const {
    return footerText_->text();
}

void SettingsView::updateFooter() {
    const bool dirty = model_.dirty();
    // A save that failed leaves the edits unsaved; the settings file's problem says why.
    const std::optional<QString> problem = services_.configStore->lastError();
    footerText_->setText(!dirty    ? QStringLiteral("All changes saved")
                         : problem ? *problem
                                   : QStringLiteral("Unsaved changes"));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, dirty ? UiStyle::orange() : UiStyle::secondaryText(pal));
    footerText_->setPalette(pal);
    footerIcon_->setPixmap(
        Symbols::icon(
            dirty ? QStringLiteral("pencil.circle.fill") : QStringLiteral("checkmark.circle.fill"),
            dirty ? UiStyle::orange() : UiStyle::secondaryText(palette()))
            .pixmap(16, 16));
    revert_->setEnabled(dirty);
    save_->setEnabled(dirty);
}

}  // namespace tarnwhistle
