// A desktop session on KWin or GNOME Shell, where a helper running inside the compositor (the
// agent's KWin script, or its GNOME Shell extension) reports the window in front to the
// agent's D-Bus service. Around it:
//   KWin:  idle from ext_idle_notify_v1 and clipboard types from data-control, on the agent's
//          own Wayland connection;
//   GNOME: idle from Mutter's idle monitor, clipboard types from the extension.
// Lock and sleep come from D-Bus on both; window text from the accessibility bus, since the
// reports name the process. Neither helper can count input without seeing keys (KWin scripts
// get no input events; Mutter hands key events to Wayland clients before an extension could
// see them), so input counts are unavailable, as are window pictures. Main thread.
#pragma once

#include <QObject>
#include <memory>

#include "capture/desktop_backend.h"
#include "capture/desktop_session.h"

namespace tarnwhistle {

class CompositorReportService;
class DesktopFileIndex;
class ReportedFrontWindow;
class ReportedWindowReader;
class ReportedClipboard;
class KWinScriptLoader;
class GnomeShellExtension;
class GnomeIdleMonitor;
class WaylandConnection;
class WaylandIdle;
class WlrootsClipboard;
class DBusLockSource;

class CompositorSession : public QObject {
    Q_OBJECT
  public:
    enum class Compositor { kwin, gnome };

    // Offers the report service and starts the helper (loads the KWin script, greets the Shell
    // extension); null when the service cannot be offered on the session bus. `kwinScript`
    // is the script's path (KWin only; empty: the installed one).
    static std::unique_ptr<CompositorSession> start(Compositor compositor,
                                                    const QString& kwinScript = {});
    ~CompositorSession() override;

    DesktopBackend backend() const;
    DesktopSession::Capabilities capabilities() const;
    operator DesktopBackend() const { return backend(); }

    // Whether the helper has answered or reported (the Shell extension is enabled, the KWin
    // script runs).
    bool helperAnswered() const;

    CompositorReportService& service() { return *service_; }

  signals:
    void helperAnsweredChanged(bool answered);

  private:
    explicit CompositorSession(Compositor compositor);
    void startKWin(const QString& script);
    void startGnome();
    void setAnswered(bool answered);

    Compositor compositor_;
    bool answered_ = false;
    std::unique_ptr<CompositorReportService> service_;
    std::unique_ptr<DesktopFileIndex> index_;
    std::unique_ptr<ReportedFrontWindow> front_;
    std::unique_ptr<ReportedWindowReader> reader_;
    std::unique_ptr<DBusLockSource> locks_;
    // KWin
    std::unique_ptr<WaylandConnection> wayland_;
    std::unique_ptr<WaylandIdle> waylandIdle_;
    std::unique_ptr<WlrootsClipboard> dataControl_;
    std::unique_ptr<KWinScriptLoader> script_;
    // GNOME
    std::unique_ptr<GnomeIdleMonitor> gnomeIdle_;
    std::unique_ptr<ReportedClipboard> reportedClipboard_;
    std::unique_ptr<GnomeShellExtension> extension_;
};

}  // namespace tarnwhistle
