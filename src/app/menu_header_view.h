// The top of the tray menu: the brand mark, the name and the status pill; where signals go
// and when the last delivery was (or that they stay on this computer); and count chips.
// Follows the status while it is shown.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QHBoxLayout;

namespace tarnwhistle {

class AppStatus;
class StatusPill;

class MenuHeaderView : public QWidget {
    Q_OBJECT
  public:
    explicit MenuHeaderView(AppStatus& status, QWidget* parent = nullptr);

    // The same content as text lines, for tray hosts that draw the menu themselves.
    static QStringList lines(const AppStatus& status);
    // The chips' texts: "N today", "N waiting" and, with failing batches, "N retrying".
    static QStringList chipTexts(const AppStatus& status);

  private:
    void update();

    AppStatus& status_;
    StatusPill* pill_;
    QLabel* firstIcon_;
    QLabel* first_;
    QLabel* secondIcon_;
    QLabel* second_;
    QLabel* problemIcon_;
    QLabel* problem_;
    QHBoxLayout* chips_;
};

}  // namespace tarnwhistle
