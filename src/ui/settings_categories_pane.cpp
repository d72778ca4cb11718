#include "ui/settings_categories_pane.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "intelligence/classifier.h"
#include "ui/category_list_editor.h"
#include "ui/setting_blocks.h"
#include "ui/ui_style.h"

namespace tarnwhistle {

QString SettingsCategoriesPane::engineText(const QString& indicator) {
    // The classifier's indicators are already the texts shown; anything else reads as rules.
    if (indicator == Classifier::indicatorLanguageModel ||
        indicator == Classifier::indicatorEmbeddings)
        return indicator;
    return Classifier::indicatorRulesOnly;
}

SettingsCategoriesPane::SettingsCategoriesPane(SettingsModel& model, const UiServices& services,
                                               QWidget* parent)
    : SettingsPane(model, services, parent) {
    auto* work = new SettingsGroup(
        QStringLiteral("Work categories"),
        QStringLiteral("Used by work.category. The description is what the classifier matches "
                       "against."),
        this);
    work_ = new CategoryListEditor(QStringLiteral("Work categories"),
                                   &DeploymentConfig::defaultWorkCategories, this);
    work->addWidget(work_);
    column()->addWidget(work);

    auto* tasks =
        new SettingsGroup(QStringLiteral("Task names"),
                          QStringLiteral("Used by task.label for each task episode."), this);
    tasks_ = new CategoryListEditor(QStringLiteral("Task names"),
                                    &DeploymentConfig::defaultTaskLabels, this);
    tasks->addWidget(tasks_);
    column()->addWidget(tasks);

    connect(work_, &CategoryListEditor::entriesChanged, this, [this](const CategoryList& e) {
        model_.edit([&](DeploymentConfig& c) { c.workCategories = e; });
    });
    connect(tasks_, &CategoryListEditor::entriesChanged, this, [this](const CategoryList& e) {
        model_.edit([&](DeploymentConfig& c) { c.taskLabels = e; });
    });

    auto* classifier = new SettingsGroup(QStringLiteral("Classifier"), {}, this);
    engine_ = new QLabel(this);
    engine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    classifier->addRow(new SettingRow(QStringLiteral("cpu.fill"), UiStyle::blue(),
                                      QStringLiteral("Running on this computer"), {}, engine_,
                                      classifier));
    useModel_ = makeSwitch([](DeploymentConfig& c, bool on) { c.useAppleIntelligence = on; });
    classifier->addRow(new SettingRow(
        QStringLiteral("apple.logo"), UiStyle::purple(),
        QStringLiteral("Use the local language model when available"),
        QStringLiteral("Better labels on computers with a local language model. Still fully "
                       "on-device."),
        useModel_, classifier));
    column()->addWidget(classifier);
    column()->addStretch(1);

    if (services_.classifier) {
        connect(services_.classifier, &Classifier::engineIndicatorChanged, this,
                &SettingsCategoriesPane::showEngine);
        services_.classifier->refreshEngineIndicator();
    }
    showEngine();
    load();
}

void SettingsCategoriesPane::showEngine() {
    engine_->setText(engineText(services_.classifier ? services_.classifier->engineIndicator()
                                                     : Classifier::indicatorRulesOnly));
    engine_->setAccessibleName(QStringLiteral("Running on this computer: ") + engine_->text());
}

void SettingsCategoriesPane::load() {
    work_->setEntries(model_.draft().workCategories);
    tasks_->setEntries(model_.draft().taskLabels);
    setChecked(useModel_, model_.draft().useAppleIntelligence);
}

}  // namespace tarnwhistle
