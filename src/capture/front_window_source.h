// Which application's window is in front, and news when that changes. The source also says when
// the display (or compositor) it reads went away and came back: nothing is in front meanwhile.
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "capture/desktop_hook.h"

namespace tarnwhistle {

// A running application with a window in front.
struct RunningApplication {
    qint64 pid = 0;      // 0 when the desktop does not name the process
    QString bundleId;    // the application id; empty when it has none
    QString name;        // localised name; empty when it has none
    quint64 window = 0;  // the window in front; 0 when unknown

    bool operator==(const RunningApplication&) const = default;
};

class FrontWindowSource {
  public:
    virtual ~FrontWindowSource() = default;

    // The application whose window is in front, if any.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Applications with a window and an application id, once each (for picking exclusions).
    virtual QList<RunningApplication> runningApplications() = 0;

    struct Watch {
        DesktopHook<const RunningApplication&> activated;
        // Nothing we can name is in front (the desktop itself, or a window of another display
        // server): time belongs to no application.
        DesktopHook<> noFront;
        DesktopHook<> lost, restored;
    } frontWatch;

    void applicationActivated(const RunningApplication& app) {
        notifyHook(frontWatch.activated, app);
    }
    void noFrontApplication() { notifyHook(frontWatch.noFront); }
    void displayLost() { notifyHook(frontWatch.lost); }
    void displayRestored() { notifyHook(frontWatch.restored); }
};

}  // namespace tarnwhistle
