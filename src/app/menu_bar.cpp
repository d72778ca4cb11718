#include "app/menu_bar.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>
#include <QWidgetAction>

#include "app/menu_header_view.h"
#include "app/status_icon.h"
#include "ui/symbols.h"

namespace tarnwhistle {

MenuBar::MenuBar(AppStatus& status, Actions actions, QObject* parent)
    : QObject(parent), status_(status), actions_(std::move(actions)), menu_(new QMenu) {
    connect(menu_.get(), &QMenu::aboutToShow, this, &MenuBar::menuNeedsUpdate);
    connect(&status_, &AppStatus::refreshed, this, &MenuBar::refresh);
}

MenuBar::~MenuBar() {
    delete item_;
}

bool MenuBar::statusNotifierHost() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

QColor MenuBar::labelColor() {
    return QApplication::palette().color(QPalette::WindowText);
}

void MenuBar::setup() {
    if (item_) return;
    plainHeader_ = statusNotifierHost();
    item_ = new QSystemTrayIcon(this);
    item_->setContextMenu(menu_.get());
    // A left click opens the same menu, as a status item does.
    connect(item_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
    });
    refresh();
    menuNeedsUpdate();  // a host that reads the menu before it opens finds it complete
    item_->show();
}

QString MenuBar::toolTip() const {
    return QStringLiteral("Tarnwhistle — ") + AppStatus::title(status_.state());
}

void MenuBar::refresh() {
    if (!item_) return;
    const AppStatus::State state = status_.state();
    if (lastIconState_ == state) return;
    lastIconState_ = state;
    item_->setIcon(StatusIcon::icon(state, labelColor()));
    item_->setToolTip(toolTip());
    emit iconChanged(state);
}

QAction* MenuBar::addItem(const QString& title, const QString& symbol, const QColor& tint,
                          std::function<void()> action) {
    QAction* item = menu_->addAction(Symbols::icon(symbol, tint), title);
    connect(item, &QAction::triggered, this, [action = std::move(action)] {
        if (action) action();
    });
    return item;
}

void MenuBar::addPlainHeader() {
    for (const QString& line : MenuHeaderView::lines(status_)) {
        QAction* action = menu_->addAction(line);
        action->setEnabled(false);
    }
}

void MenuBar::menuNeedsUpdate() {
    status_.refresh();
    menu_->clear();
    if (plainHeader_) {
        addPlainHeader();
    } else {
        auto* header = new QWidgetAction(menu_.get());
        auto* view = new MenuHeaderView(status_);
        view->setMinimumWidth(headerWidth);
        header->setDefaultWidget(view);
        menu_->addAction(header);
    }
    menu_->addSeparator();

    const AppStatus::State state = status_.state();
    if (state == AppStatus::State::needsPermission) {
        addItem(QStringLiteral("Allow Accessibility…"), QStringLiteral("exclamationmark.shield"),
                AppStatus::color(AppStatus::State::needsPermission), actions_.openWelcome);
    }
    if (state == AppStatus::State::localOnly) {
        addItem(QStringLiteral("Connect…"), QStringLiteral("link.badge.plus"),
                AppStatus::color(AppStatus::State::localOnly), actions_.openDashboard);
    }
    if (state == AppStatus::State::needsPermission || state == AppStatus::State::localOnly)
        menu_->addSeparator();

    const bool paused = actions_.paused && actions_.paused();
    addItem(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"),
            paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill"), {},
            actions_.togglePause)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    addItem(QStringLiteral("Send Now"), QStringLiteral("paperplane"), {}, actions_.sendNow);
    menu_->addSeparator();
    addItem(QStringLiteral("Settings…"), QStringLiteral("gearshape"), {}, actions_.openSettings)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    addItem(QStringLiteral("Activity Log…"), QStringLiteral("list.bullet.rectangle"), {},
            actions_.openActivity)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    menu_->addSeparator();
    addItem(QStringLiteral("Open Dashboard"), QStringLiteral("chart.xyaxis.line"), {},
            actions_.openDashboard);
    addItem(QStringLiteral("Documentation"), QStringLiteral("book"), {}, actions_.openDocs);
    addItem(QStringLiteral("About"), QStringLiteral("info.circle"), {}, actions_.openWelcome);
    menu_->addSeparator();
    addItem(QStringLiteral("Quit"), QStringLiteral("power"), {}, actions_.quit)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
}

}  // namespace tarnwhistle
