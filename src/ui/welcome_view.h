// The welcome window: what Tarnwhistle is, the three things it needs (accessibility, a
// destination, normal use) with their done marks, what is never sent, and "Done", which marks
// the user as welcomed. While shown it refreshes the status every 1.5 s so the marks follow.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

#include "ui/ui_services.h"

class QLabel;
class QPushButton;

namespace tarnwhistle {

class Badge;
class StepMark;

class WelcomeView : public QWidget {
    Q_OBJECT
  public:
    explicit WelcomeView(const UiServices& services, QWidget* parent = nullptr);

    static constexpr int refreshIntervalMs = 1500;

    // Stores "welcomed" = "1" in the store's meta table and closes the window.
    void done();
    bool stepDone(int step) const { return done_[step - 1]; }
    bool refreshTimerActive() const { return timer_.isActive(); }
    QWidget* destinationButtons() const { return destinationButtons_; }
    QLabel* sendingTo() const { return sendingTo_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* buildStep(int number, const QString& title, const QString& text, QWidget* extra);
    QWidget* buildNeverSent();
    void refreshSteps();

    UiServices services_;
    QTimer timer_;
    std::array<bool, 3> done_{};
    std::array<StepMark*, 3> marks_{};
    std::array<Badge*, 3> tags_{};
    QWidget* destinationButtons_;
    QLabel* sendingTo_;
};

}  // namespace tarnwhistle
