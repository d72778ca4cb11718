// Follows the active window through EWMH (_NET_ACTIVE_WINDOW on the root window) and tells who
// it belongs to: process, application id and name. Announces a newly active application once;
// the short "no active window" some window managers set between two windows is ignored, a
// longer one (the desktop itself, or a window of another display server in front) is
// announced as no front application.
//
// Main thread, except activeWindow(), which any thread may read.
#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QTimer>
#include <optional>

#include "capture/desktop_backend.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/linux/x11_connection.h"

namespace tarnwhistle {

class X11WindowWatcher : public QObject {
    Q_OBJECT
public:
    struct ActiveWindow {
        xcb_window_t window = XCB_WINDOW_NONE;
        RunningApplication app;
        QString title;
    };

    X11WindowWatcher(X11Connection& connection, DesktopFileIndex& index, QObject* parent = nullptr);

    // Subscribes to the root window and reads the current active window.
    void start();
    // Forgets everything about a display that went away, announcing nothing.
    void reset();
    // Consumes events this watcher cares about; false for others.
    bool handle(xcb_generic_event_t* event);

    std::optional<RunningApplication> frontmost() const;
    // The applications of the window manager's client windows that have an application id,
    // once each, in the order of their first window; never this process's own.
    QList<RunningApplication> clients();
    // Thread-safe copy of what is known about the active window.
    std::optional<ActiveWindow> activeWindow() const;

    // Who a window belongs to (cached per window).
    RunningApplication describe(xcb_window_t window);

    // How long "no active window" must last before it counts.
    static constexpr int noneDebounceMs = 300;

signals:
    void activated(const RunningApplication& app);
    void noneActive();

private:
    void readActive();
    void setActive(xcb_window_t window);
    void clearActive();

    X11Connection& x_;
    DesktopFileIndex& index_;
    QTimer noneTimer_;
    mutable QMutex mutex_;
    std::optional<ActiveWindow> active_;   // guarded by mutex_
    std::optional<RunningApplication> announced_;
    QHash<xcb_window_t, RunningApplication> described_;
};

}  // namespace tarnwhistle
