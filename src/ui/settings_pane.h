// One pane of the Settings window: a scrolling column of groups that edit the shared working
// copy. load() sets every control from the working copy (after revert, save, import or a
// destination switch) without reporting edits back.
#pragma once

#include <QWidget>

#include "ui/settings_model.h"
#include "ui/ui_services.h"

class QVBoxLayout;
class QCheckBox;
class QSpinBox;
class QPushButton;
class QLineEdit;

namespace tarnwhistle {

class SettingsPane : public QWidget {
    Q_OBJECT
  public:
    SettingsPane(SettingsModel& model, const UiServices& services, QWidget* parent = nullptr);
    virtual void load() = 0;

  protected:
    // The column the pane's groups go into.
    QVBoxLayout* column() const { return column_; }

    // Controls bound to the working copy; their edits go through model().edit.
    QCheckBox* makeSwitch(std::function<void(DeploymentConfig&, bool)> write);
    // A stepper over a count of `unit` (60: seconds shown as minutes), `min`..`max` units.
    QSpinBox* makeStepper(int min, int max, const QString& suffix,
                          std::function<void(DeploymentConfig&, qint64)> write, int unit = 1);
    QLineEdit* makeField(const QString& placeholder,
                         std::function<void(DeploymentConfig&, const QString&)> write);
    QPushButton* makeButton(const QString& text, const QString& symbol = {},
                            const QColor& tint = {});
    QPushButton* makeLinkButton(const QString& text, const QString& symbol);

    // Sets a control's value without it reporting an edit.
    static void setChecked(QCheckBox* box, bool on);
    static void setValue(QSpinBox* box, qint64 value, int unit = 1);
    static void setText(QLineEdit* field, const QString& text);

    SettingsModel& model_;
    const UiServices& services_;

  private:
    QVBoxLayout* column_;
};

}  // namespace tarnwhistle
