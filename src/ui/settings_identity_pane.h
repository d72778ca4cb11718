// Settings → Identity: the organisation, the person reference and this computer's device id
// and subject code (both copyable, neither a name).
#pragma once

#include "ui/settings_pane.h"

class QLabel;

namespace tarnwhistle {

class SettingsIdentityPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsIdentityPane(SettingsModel& model, const UiServices& services,
                         QWidget* parent = nullptr);
    void load() override;

    // The "sub_" code of the login name under the working copy's salt.
    QString subjectCode() const;

  private:
    QLineEdit* orgId_;
    QLineEdit* externalRef_;
    QLabel* deviceId_;
    QLabel* subject_;
};

}  // namespace tarnwhistle
