// The window in front on a wlroots compositor, from zwlr_foreign_toplevel_manager_v1: every
// toplevel's app id, title and state, applied when the compositor marks a batch done. The
// activated toplevel is the front window, decided once everything read has been handled. The
// compositor names no process, so the agent's own windows are told by their app id and carry the
// agent's pid, which the capture loop skips.
//
// Main thread, except frontTitle(), which the window-poll worker may call.
#pragma once

#include <QMutex>
#include <QObject>
#include <map>

#include "capture/front_window_source.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace tarnwhistle {

class WaylandConnection;
class DesktopFileIndex;

class WlrootsToplevels : public QObject, public FrontWindowSource {
    Q_OBJECT
  public:
    WlrootsToplevels(WaylandConnection& connection, DesktopFileIndex& index, QString ownAppId,
                     qint64 ownPid, QObject* parent = nullptr);
    ~WlrootsToplevels() override;

    // Whether the compositor offers the protocol (and the list is being followed).
    bool ok() const { return manager_ != nullptr; }

    std::optional<RunningApplication> frontmostApplication() override;
    QList<RunningApplication> runningApplications() override;
    // The title of the front window as last reported, while `bundleId` is in front; any thread.
    std::optional<QString> frontTitle(const QString& bundleId) const;

  private:
    struct Toplevel {
        quint64 id = 0;
        QString title, appId;
        bool activated = false;
        // Changes arrive one by one and take effect together at "done".
        QString pendingTitle, pendingAppId;
        bool pendingActivated = false;
    };
    friend struct WlrootsToplevelEvents;

    void added(zwlr_foreign_toplevel_handle_v1* handle);
    void done(zwlr_foreign_toplevel_handle_v1* handle);
    void closed(zwlr_foreign_toplevel_handle_v1* handle);
    void finished();
    void connectionLost();
    // Tells the watcher when the front window is another one than before.
    void frontMayHaveChanged();
    RunningApplication application(const Toplevel& toplevel);

    WaylandConnection& connection_;
    DesktopFileIndex& index_;
    QString ownAppId_;
    qint64 ownPid_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> toplevels_;
    quint64 nextId_ = 1;
    quint64 frontId_ = 0;   // 0: nothing in front
    bool changed_ = false;  // a batch was applied since the front was last decided

    mutable QMutex titleLock_;
    QString titleBundle_;  // guarded by titleLock_
    QString title_;        // guarded by titleLock_
};

}  // namespace tarnwhistle
