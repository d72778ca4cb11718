// Settings → Signals: which of the fifteen signal types this computer sends, by group, with the
// count of those switched on and a way back to the defaults.
#pragma once

#include <QHash>

#include "ui/settings_pane.h"

class QLabel;

namespace tarnwhistle {

class SettingsSignalsPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsSignalsPane(SettingsModel& model, const UiServices& services,
                        QWidget* parent = nullptr);
    void load() override;
    // "N of 15 signals switched on"
    QString countText() const;

  private:
    void updateCount();

    QLabel* count_;
    QHash<QString, QCheckBox*> switches_;  // by wire name
};

}  // namespace tarnwhistle
