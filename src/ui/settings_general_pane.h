// Settings → General: start at login, pause, the optional screenshot reader, the settings file
// (where it is, import, export) and deleting the local data.
#pragma once

#include "ui/settings_pane.h"

class QLabel;

namespace tarnwhistle {

class SettingsGeneralPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsGeneralPane(SettingsModel& model, const UiServices& services,
                        QWidget* parent = nullptr);
    void load() override;

    // The file dialogs; an empty path means cancelled. Replaceable so tests need no dialog.
    std::function<QString()> chooseImportFile;
    std::function<QString()> chooseExportFile;
    // The "Could not import" alert.
    std::function<void(const QString& reason)> showImportError;

    void importConfig();
    void exportConfig();

  private:
    void updateScreenshotRow();

    QCheckBox* startAtLogin_;
    QCheckBox* paused_;
    QCheckBox* screenshots_;
    QPushButton* allowCapture_;
};

}  // namespace tarnwhistle
