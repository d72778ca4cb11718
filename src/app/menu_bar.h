// The tray item: the drawn status icon with its tooltip, and the menu, rebuilt from the status
// each time it is about to open. Main thread only.
//
// Qt shows the icon as a StatusNotifierItem where the session has a watcher and in an XEmbed
// tray otherwise. A StatusNotifierItem menu is drawn by the tray host, which cannot show
// widgets, so there the header becomes plain disabled lines.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

#include "app/app_status.h"

class QAction;
class QMenu;

namespace tarnwhistle {

class MenuBar : public QObject {
    Q_OBJECT
  public:
    struct Actions {
        std::function<bool()> paused;  // the configuration's `paused`
        std::function<void()> togglePause;
        std::function<void()> sendNow;
        std::function<void()> openSettings;
        std::function<void()> openActivity;
        std::function<void()> openDashboard;
        std::function<void()> openDocs;
        std::function<void()> openWelcome;
        std::function<void()> quit;
    };

    static MenuBar& shared();
    MenuBar(AppStatus& status, Actions actions, QObject* parent = nullptr);
    ~MenuBar() override;

    // Creates the tray item and its menu and draws the icon.
    void setup();
    // Redraws the icon and tooltip when the state changed since the last drawing.
    void refresh();
    // Rebuilds the menu (just before it opens).
    void menuNeedsUpdate();

    QMenu* menu() const { return menu_.get(); }
    QSystemTrayIcon* item() const { return item_; }
    std::optional<AppStatus::State> lastIconState() const { return lastIconState_; }
    QString toolTip() const;
    // The icon's bar colour: the desktop's text colour.
    static QColor labelColor();
    // Whether the session has a StatusNotifierItem watcher (Qt then uses it).
    static bool statusNotifierHost();

    static constexpr int headerWidth = 248;

  signals:
    // The icon was drawn anew for a state.
    void iconChanged(AppStatus::State state);

  private:
    QAction* addItem(const QString& title, const QString& symbol, const QColor& tint,
                     std::function<void()> action);
    void addPlainHeader();

    AppStatus& status_;
    Actions actions_;
    std::unique_ptr<QMenu> menu_;
    QPointer<QSystemTrayIcon> item_;
    std::optional<AppStatus::State> lastIconState_;
    bool plainHeader_ = false;
};

}  // namespace tarnwhistle
