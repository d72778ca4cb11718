// Settings → Delivery: where signals go (dashboard, own webhook or nowhere), the address and
// secret, how often batches are sent, and the connection test.
#pragma once

#include <array>

#include "ui/settings_model.h"
#include "ui/settings_pane.h"

class QComboBox;
class QLabel;
class QProgressBar;

namespace tarnwhistle {

class DestinationCard;
class SettingRow;
class SettingsGroup;

class SettingsDeliveryPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsDeliveryPane(SettingsModel& model, const UiServices& services,
                         QWidget* parent = nullptr);
    void load() override;

    // The picker's choices: 30 s, 1 min, 5 min, 15 min, 1 h.
    static const std::array<std::pair<qint64, const char*>, 5> intervals;

    QComboBox* intervalPicker() const { return interval_; }
    QPushButton* testButton() const { return test_; }
    QLineEdit* addressField() const { return address_; }

  private:
    void updateAddressDependents();
    void updateTest();
    void setInterval(qint64 seconds);

    std::array<DestinationCard*, 3> cards_{};
    SettingsGroup* dashboard_;
    QLabel* dashboardTitle_;
    QLabel* dashboardText_;
    QPushButton* dashboardButton_;
    SettingsGroup* webhook_;
    QLineEdit* address_;
    QLineEdit* secret_;
    QPushButton* showSecret_;
    SettingsGroup* local_;
    QComboBox* interval_;
    SettingRow* testRow_;
    QPushButton* test_;
    QProgressBar* progress_;
    QLabel* testMessage_;
    QWidget* testMessageLine_;
};

}  // namespace tarnwhistle
