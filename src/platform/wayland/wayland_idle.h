// Idle time on a Wayland compositor that offers ext_idle_notify_v1 (or else KDE's older
// org_kde_kwin_idle): the compositor says when the user has been idle for a short grace period
// and when input resumes; the seconds since the last input are counted from there. Unknown once
// the connection is lost. Main thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "capture/idle_source.h"

struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace tarnwhistle {

class WaylandConnection;

class WaylandIdle : public QObject, public IdleSource {
    Q_OBJECT
  public:
    explicit WaylandIdle(WaylandConnection& connection, QObject* parent = nullptr);
    ~WaylandIdle() override;

    bool ok() const { return notification_ || kdeTimeout_; }

    std::optional<double> secondsSinceLastInput() override;

    // Short, so idleness is known early, yet long enough that typing does not flood the
    // connection with pairs of notifications.
    static constexpr int graceMs = 2000;

  private:
    friend struct WaylandIdleEvents;
    void idled();
    void resumed();
    void release();

    WaylandConnection& connection_;
    ext_idle_notifier_v1* notifier_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    bool idle_ = false;
    QElapsedTimer idleSince_;  // started when the grace period had passed
};

}  // namespace tarnwhistle
