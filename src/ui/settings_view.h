// The Settings window: a sidebar of seven panes, the pane's title and subtitle, the pane, and a
// footer that says whether everything is saved, with Revert and Save (Ctrl+S). All panes edit
// one working copy (SettingsModel). Closing the window discards unsaved changes; it reopens
// on the same pane, size and place.
#pragma once

#include <QWidget>
#include <array>

#include "ui/settings_model.h"
#include "ui/ui_services.h"

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace tarnwhistle {

class SettingsPane;
class StatusPill;

class SettingsView : public QWidget {
    Q_OBJECT
  public:
    // In sidebar order. (`signalTypes` is the Signals pane: `signals` is a Qt keyword.)
    enum class Pane { overview, signalTypes, privacy, categories, delivery, identity, general };
    static constexpr int paneCount = 7;
    struct PaneInfo {
        QString title;
        QString subtitle;
        QString symbol;
    };
    static PaneInfo info(Pane pane);

    explicit SettingsView(const UiServices& services, QWidget* parent = nullptr);

    SettingsModel& model() { return model_; }
    Pane section() const { return section_; }
    void showPane(Pane pane);
    SettingsPane* pane(Pane pane) const { return panes_[int(pane)]; }

    // The footer's words: "Unsaved changes" (or, after a failed save, why it failed) or "All
    // changes saved".
    QString footerText() const;
    QPushButton* saveButton() const { return save_; }
    QPushButton* revertButton() const { return revert_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void updateFooter();

    UiServices services_;
    SettingsModel model_;
    Pane section_ = Pane::overview;
    QListWidget* sidebar_;
    StatusPill* pill_;
    QLabel* title_;
    QLabel* subtitle_;
    QStackedWidget* stack_;
    std::array<SettingsPane*, paneCount> panes_{};
    QLabel* footerIcon_;
    QLabel* footerText_;
    QPushButton* revert_;
    QPushButton* save_;
};

}  // namespace tarnwhistle
