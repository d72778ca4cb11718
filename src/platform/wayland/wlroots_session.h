// A desktop session on a wlroots compositor (sway and others): the agent's own Wayland
// connection with the front window, clipboard types and idle time it offers, and lock and
// sleep from D-Bus. Input counts and window pictures do not exist here. Main thread.
#pragma once

#include <QObject>
#include <memory>

#include "capture/desktop_backend.h"
#include "capture/desktop_session.h"

namespace tarnwhistle {

class WaylandConnection;
class DesktopFileIndex;
class WlrootsToplevels;
class WlrootsClipboard;
class WaylandIdle;
class WlrootsWindowReader;
class DBusLockSource;

class WlrootsSession : public QObject {
    Q_OBJECT
  public:
    // Connects to `display` (empty: $WAYLAND_DISPLAY); null when there is no compositor or it
    // does not offer the wlroots toplevel protocol. Windows with `ownAppId` are the agent's.
    static std::unique_ptr<WlrootsSession> connect(const QByteArray& display,
                                                   const QString& ownAppId, qint64 ownPid);
    ~WlrootsSession() override;

    // The sources this compositor offered when the session began; absent ones are null. A source
    // whose compositor has gone since says so itself.
    DesktopBackend backend() const;
    DesktopSession::Capabilities capabilities() const;
    operator DesktopBackend() const { return backend(); }

  private:
    WlrootsSession(std::unique_ptr<WaylandConnection> connection, const QString& ownAppId,
                   qint64 ownPid);

    // Declared in the order they are made; destroyed in reverse, the connection last.
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<DesktopFileIndex> index_;
    std::unique_ptr<WlrootsToplevels> toplevels_;
    std::unique_ptr<WlrootsClipboard> clipboard_;
    std::unique_ptr<WaylandIdle> idle_;
    std::unique_ptr<WlrootsWindowReader> reader_;
    std::unique_ptr<DBusLockSource> locks_;
    bool clipboardOffered_ = false;
    bool idleOffered_ = false;
};

}  // namespace tarnwhistle
