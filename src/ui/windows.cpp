#include "ui/windows.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include "ui/brand_mark.h"

namespace tarnwhistle {

const QString Windows::welcome = QStringLiteral("welcome");
const QString Windows::settings = QStringLiteral("settings");
const QString Windows::activity = QStringLiteral("activity");

Windows& Windows::shared() {
    static Windows* instance = new Windows;  // lives until the process ends
    return *instance;
}

Windows::~Windows() {
    for (const auto& w : windows_) delete w.data();
}

void Windows::define(const QString& key, Definition definition) {
    definitions_.insert(key, std::move(definition));
}

bool Windows::open(const QString& key) {
    const auto it = definitions_.constFind(key);
    if (it == definitions_.constEnd()) return false;
    return show(key, it->title, it->size, it->build) != nullptr;
}

QWidget* Windows::show(const QString& key, const QString& title, const QSize& size,
                       const Builder& build) {
    if (QWidget* existing = window(key)) {
        if (existing->isHidden()) {
            const auto saved = geometry_.constFind(existing);
            if (saved != geometry_.constEnd()) existing->restoreGeometry(*saved);
        }
        bringForward(existing);
        return existing;
    }
    QWidget* view = build ? build() : nullptr;
    if (!view) return nullptr;
    view->setParent(nullptr, Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose, false);
    view->setWindowTitle(title);
    view->setWindowIcon(QIcon(BrandMark::pixmap(64)));
    view->resize(size);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size);
        frame.moveCenter(screen->availableGeometry().center());
        view->move(frame.topLeft());
    }
    view->installEventFilter(this);
    windows_.insert(key, view);
    bringForward(view);
    return view;
}

void Windows::close(const QString& key) {
    if (QWidget* w = window(key)) w->close();
}

QWidget* Windows::window(const QString& key) const {
    return windows_.value(key).data();
}

bool Windows::isVisible(const QString& key) const {
    const QWidget* w = window(key);
    return w && w->isVisible();
}

void Windows::bringForward(QWidget* window) {
    if (window->isMinimized()) window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

bool Windows::eventFilter(QObject* watched, QEvent* event) {
    // The window manager may place a re-mapped window anew; remember where it was.
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow()) geometry_.insert(w, w->saveGeometry());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tarnwhistle
