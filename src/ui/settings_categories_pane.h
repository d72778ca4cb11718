// Settings → Categories: the work categories and task names the on-device classifier chooses
// from, the engine it runs on and the language-model switch.
#pragma once

#include "ui/settings_pane.h"

class QLabel;

namespace tarnwhistle {

class CategoryListEditor;

class SettingsCategoriesPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsCategoriesPane(SettingsModel& model, const UiServices& services,
                           QWidget* parent = nullptr);
    void load() override;

    // The classifier's engine in this platform's words.
    static QString engineText(const QString& indicator);

  private:
    void showEngine();

    CategoryListEditor* work_;
    CategoryListEditor* tasks_;
    QLabel* engine_;
    QCheckBox* useModel_;
};

}  // namespace tarnwhistle
