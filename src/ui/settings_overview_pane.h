// Settings → Overview: the state at a glance, three counts, the permissions, the classifier's
// engine and shortcuts to the dashboard, the Activity Log and pause.
#pragma once

#include "ui/settings_pane.h"

class QLabel;

namespace tarnwhistle {

class StatTile;
class StatusHero;

class SettingsOverviewPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsOverviewPane(SettingsModel& model, const UiServices& services,
                         QWidget* parent = nullptr);
    void load() override;

    enum class Permission { allowed, notNeeded, ask };
    // Granted: allowed; not granted and not required: not needed; else a button to ask.
    static Permission permission(bool granted, bool required);

  private:
    void refresh();
    void showPermission(QWidget* holder, Permission permission);

    StatusHero* hero_ = nullptr;
    StatTile* today_;
    StatTile* waiting_;
    StatTile* switchedOn_;
    QWidget* accessibility_;
    QWidget* capture_;
    QLabel* engine_;
    QPushButton* pause_;
};

}  // namespace tarnwhistle
