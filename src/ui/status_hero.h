// The Settings overview's headline: the state's title in a large bold font, its description
// below, and, when there is a destination, when the last delivery happened.
#pragma once

#include <QWidget>

class QLabel;

namespace tarnwhistle {

class AppStatus;
class Outbox;

class StatusHero : public QWidget {
    Q_OBJECT
  public:
    StatusHero(AppStatus& status, Outbox& outbox, QWidget* parent = nullptr);
    void refresh();

  private:
    AppStatus& status_;
    QLabel* title_;
    QLabel* description_;
    QLabel* lastSent_;
};

}  // namespace tarnwhistle
