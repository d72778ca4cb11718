// The window in front as the compositor's helper reports it (KWin script, GNOME Shell
// extension): the application is resolved from the desktop id and class like any other, the
// title is kept for the window reader. A report of no window is held back a moment, since
// compositors report "none" on the way from one window to the next.
//
// Main thread, except frontTitle(), which the window-poll worker may call.
#pragma once

#include <QMutex>
#include <QObject>
#include <QTimer>

#include "capture/front_window_source.h"
#include "platform/wayland/compositor_report_service.h"

namespace tarnwhistle {

class DesktopFileIndex;

class ReportedFrontWindow : public QObject, public FrontWindowSource {
    Q_OBJECT
  public:
    ReportedFrontWindow(CompositorReportService& service, DesktopFileIndex& index,
                        QObject* parent = nullptr);

    std::optional<RunningApplication> frontmostApplication() override;
    // The applications reported in front since start, once each.
    QList<RunningApplication> runningApplications() override;
    // The title of the front window while it belongs to `pid`; any thread.
    std::optional<QString> frontTitle(qint64 pid) const;

    static constexpr int noWindowDelayMs = 250;

  private:
    void reported(const ReportedWindow& window);
    void cleared();
    RunningApplication application(const ReportedWindow& window);

    DesktopFileIndex& index_;
    std::optional<RunningApplication> front_;
    QList<RunningApplication> seen_;
    QTimer noWindow_;

    mutable QMutex titleLock_;
    qint64 titlePid_ = 0;  // guarded by titleLock_
    QString title_;        // guarded by titleLock_
};

}  // namespace tarnwhistle
