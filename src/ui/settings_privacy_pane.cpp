#include "ui/settings_privacy_pane.h"

#include <QCollator>
#include <QCoreApplication>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/setting_blocks.h"
#include "ui/symbols.h"
#include "ui/tag_list_editor.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

SettingsPrivacyPane::SettingsPrivacyPane(SettingsModel& model, const UiServices& services,
                                         QWidget* parent)
    : SettingsPane(model, services, parent) {
    auto* apps = new SettingsGroup(
        QStringLiteral("Apps to ignore"),
        QStringLiteral("Use the app's application id, such as com.1password.1password."), this);
    bundleIds_ = new TagListEditor(QStringLiteral("com.example.app"), true,
                                   QStringLiteral("Apps to ignore"), this);
    addApp_ = new QToolButton(this);
    addApp_->setText(QStringLiteral("Add an open app"));
    addApp_->setAccessibleName(QStringLiteral("Add an open app"));
    addApp_->setIcon(Symbols::icon(QStringLiteral("plus.app"), UiStyle::blue()));
    addApp_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addApp_->setPopupMode(QToolButton::InstantPopup);
    appMenu_ = new QMenu(addApp_);
    appMenu_->setAccessibleName(QStringLiteral("Open apps"));
    addApp_->setMenu(appMenu_);
    connect(appMenu_, &QMenu::aboutToShow, this, &SettingsPrivacyPane::fillAppMenu);
    auto* appsBox = new QWidget(this);
    auto* appsLayout = new QVBoxLayout(appsBox);
    appsLayout->setContentsMargins(0, 0, 0, 0);
    appsLayout->addWidget(bundleIds_);
    appsLayout->addWidget(addApp_, 0, Qt::AlignLeft);
    apps->addWidget(appsBox);
    column()->addWidget(apps);

    auto* sites =
        new SettingsGroup(QStringLiteral("Websites to ignore"),
                          QStringLiteral("Matches the site and all its subdomains."), this);
    domains_ = new TagListEditor(QStringLiteral("example.com"), false,
                                 QStringLiteral("Websites to ignore"), this);
    sites->addWidget(domains_);
    column()->addWidget(sites);

    auto* windows = new SettingsGroup(
        QStringLiteral("Windows to ignore"),
        QStringLiteral("Windows whose title contains one of these words are not observed at all."),
        this);
    titleWords_ = new TagListEditor(QStringLiteral("A word or phrase"), false,
                                    QStringLiteral("Windows to ignore"), this);
    windows->addWidget(titleWords_);
    column()->addWidget(windows);

    connect(bundleIds_, &TagListEditor::itemsChanged, this, [this](const QStringList& items) {
        model_.edit([&](DeploymentConfig& c) { c.excludedBundleIds = items; });
    });
    connect(domains_, &TagListEditor::itemsChanged, this, [this](const QStringList& items) {
        model_.edit([&](DeploymentConfig& c) { c.excludedDomains = items; });
    });
    connect(titleWords_, &TagListEditor::itemsChanged, this, [this](const QStringList& items) {
        model_.edit([&](DeploymentConfig& c) { c.excludedTitleWords = items; });
    });

    auto* timing = new SettingsGroup(QStringLiteral("Timing and storage"), {}, this);
    const QString minutes = QStringLiteral(" min");
    idle_ = makeStepper(
        1, 30, minutes, [](DeploymentConfig& c, qint64 v) { c.idleThresholdSeconds = v; }, 60);
    gap_ = makeStepper(
        1, 60, minutes, [](DeploymentConfig& c, qint64 v) { c.episodeGapSeconds = v; }, 60);
    retention_ = makeStepper(1, 365, QStringLiteral(" days"),
                             [](DeploymentConfig& c, qint64 v) { c.retentionDays = v; });
    timing->addRow(new SettingRow(
        QStringLiteral("moon.zzz.fill"), UiStyle::purple(), QStringLiteral("Idle after"),
        QStringLiteral("No keyboard or mouse use for this long counts as idle."), idle_, timing));
    timing->addRow(new SettingRow(
        QStringLiteral("timer"), UiStyle::orange(), QStringLiteral("New task after a break of"),
        QStringLiteral("A pause this long ends one task episode and starts the next."), gap_,
        timing));
    timing->addRow(new SettingRow(
        QStringLiteral("internaldrive.fill"), UiStyle::gray(),
        QStringLiteral("Keep local data for"),
        QStringLiteral("Signals and the activity log are removed from this computer after this."),
        retention_, timing));
    column()->addWidget(timing);
    column()->addStretch(1);
    load();
}

QList<RunningApplication> SettingsPrivacyPane::openApps(const QList<RunningApplication>& running,
                                                        qint64 ownPid, const QLocale& locale) {
    QList<RunningApplication> apps;
    for (const RunningApplication& app : running) {
        if (app.bundleId.isEmpty() || app.pid == ownPid) continue;
        if (std::any_of(apps.cbegin(), apps.cend(),
                        [&](const RunningApplication& a) { return a.bundleId == app.bundleId; }))
            continue;
        apps.append(app);
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto label = [](const RunningApplication& a) { return a.name.isEmpty() ? a.bundleId : a.name; };
    std::stable_sort(apps.begin(), apps.end(), [&](const auto& a, const auto& b) {
        return collator.compare(label(a), label(b)) < 0;
    });
    return apps;
}

void SettingsPrivacyPane::fillAppMenu() {
    appMenu_->clear();
    const QList<RunningApplication> apps =
        openApps(services_.runningApplications ? services_.runningApplications()
                                               : QList<RunningApplication>{},
                 QCoreApplication::applicationPid());
    if (apps.isEmpty()) appMenu_->addAction(QStringLiteral("No open apps"))->setEnabled(false);
    for (const RunningApplication& app : apps) {
        const QString label = app.name.isEmpty() ? app.bundleId : app.name;
        QAction* action = appMenu_->addAction(label + QStringLiteral("  (") + app.bundleId + u')');
        const QString id = app.bundleId;
        connect(action, &QAction::triggered, this, [this, id] { bundleIds_->add(id); });
    }
}

void SettingsPrivacyPane::load() {
    const DeploymentConfig& draft = model_.draft();
    bundleIds_->setItems(draft.excludedBundleIds);
    domains_->setItems(draft.excludedDomains);
    titleWords_->setItems(draft.excludedTitleWords);
    setValue(idle_, draft.idleThresholdSeconds, 60);
    setValue(gap_, draft.episodeGapSeconds, 60);
    setValue(retention_, draft.retentionDays);
}

}  // namespace tarnwhistle
