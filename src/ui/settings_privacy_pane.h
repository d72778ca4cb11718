// Settings → Privacy: the applications, websites and window titles never observed, and the
// idle, task-break and retention timings.
#pragma once

#include <QLocale>

#include "ui/settings_pane.h"

class QMenu;
class QToolButton;

namespace tarnwhistle {

class TagListEditor;

class SettingsPrivacyPane : public SettingsPane {
    Q_OBJECT
  public:
    SettingsPrivacyPane(SettingsModel& model, const UiServices& services,
                        QWidget* parent = nullptr);
    void load() override;

    // The "Add an open app" entries: applications with an id, not this one, sorted by name
    // (case-insensitive, in the user's locale).
    static QList<RunningApplication> openApps(const QList<RunningApplication>& running,
                                              qint64 ownPid, const QLocale& locale = QLocale());
    QSpinBox* idleStepper() const { return idle_; }

  private:
    void fillAppMenu();

    TagListEditor* bundleIds_;
    TagListEditor* domains_;
    TagListEditor* titleWords_;
    QToolButton* addApp_;
    QMenu* appMenu_;
    QSpinBox* idle_;
    QSpinBox* gap_;
    QSpinBox* retention_;
};

}  // namespace tarnwhistle
