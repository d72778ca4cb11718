// Capture: the one component that touches the live desktop. It watches which application is in
// front, polls the front window, counts input, notices clipboard changes, idle time, sleep and
// screen lock, and turns each into a call on the signal engine. It never decides what a signal
// is, applies no exclusions of its own and never observes the agent's own windows.
//
// Threading: main thread only, except the accessibility reads (poll worker) and screenshot
// recognition (recognition worker), whose results come back to the main thread before they
// reach the engine. Results that arrive after stop() are dropped: the engine has been flushed.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "capture/capture_scheduler.h"
#include "capture/desktop_backend.h"
#include "config/deployment_config.h"
#include "signals/signal_engine_observation.h"

namespace tarnwhistle {

class SignalEngine;

class Capture : public QObject {
    Q_OBJECT
public:
    // The process-wide loop over SignalEngine::shared(), the platform's desktop backend and the
    // live configuration.
    static Capture& shared();

    // `ownPid` is the agent's own process, never observed. `pausedProvider` answers whether
    // capture is paused without a copy of the whole configuration (asked on every input
    // event); without it the configuration is read.
    // `backend` holds the session's sources; each must outlive the Capture.
    Capture(SignalEngine& engine, DesktopBackend backend, CaptureScheduler& scheduler,
            std::function<DeploymentConfig()> configProvider, qint64 ownPid,
            QObject* parent = nullptr, std::function<bool()> pausedProvider = nullptr);
    ~Capture() override;

    void start();
    void stop(const QString& reason);
    bool running() const { return running_; }
    bool inputMonitorInstalled() const { return inputMonitor_; }

    // The engine's requestSnippet hook: a text sample of `obs`'s window in 2 seconds, unless a
    // newer request comes first or the user has moved to another window. The window's address
    // and title are read afresh and must still be `obs`'s before its text is sampled.
    void scheduleSnippet(const WindowObservation& obs);

    // The window poll and the heartbeat rest while the user is away (locked, asleep, idle or
    // without a display); the input-monitor retry runs only until the monitor is in.
    static constexpr double windowPollInterval = 1.5;
    static constexpr double idlePollInterval = 5.0;
    static constexpr double heartbeatInterval = 60.0;
    static constexpr double inputMonitorRetryInterval = 3.0;
    static constexpr double snippetDelay = 2.0;
    static constexpr int snippetMaxChars = 1500;
    static constexpr int snippetMaxNodes = 700;
    // A sample this short is worth a screenshot read when that reader is on.
    static constexpr int screenshotFallbackChars = 39;

private:
    void activate(const RunningApplication& app);
    void noFront();
    void away();
    void back();
    void displayLost();
    void displayRestored();
    void windowPoll();
    void clipboardPoll();
    void idlePoll();
    void heartbeat();
    void retryInputMonitor();
    void installInputMonitor();
    // Starts or stops the timers that only matter while the user is here.
    void updatePolling();
    void handleInput(const InputEvent& event);
    void deliverSnippet(quint64 run, quint64 window, const QString& text,
                        const WindowObservation& obs);
    // Whether `window` (0: any) of `bundleId` is still the one in front.
    bool stillInFront(const QString& bundleId, quint64 window) const;
    bool isOther(const std::optional<RunningApplication>& app) const;
    std::optional<RunningApplication> frontmost() const;
    bool blind() const;
    // Sets and clears the sources' notification slots; only a running Capture watches.
    void watch();
    void unwatch();
    // Runs `action` on the main thread if this Capture still exists.
    std::function<void()> weakly(std::function<void(Capture&)> action);

    SignalEngine& engine_;
    DesktopBackend backend_;
    CaptureScheduler& scheduler_;
    std::function<DeploymentConfig()> config_;
    qint64 ownPid_;

    bool inputMonitor_ = false;
    std::function<bool()> paused_;
    CaptureScheduler::TimerId windowTimer_ = 0, idleTimer_ = 0, heartbeatTimer_ = 0,
                              retryTimer_ = 0;
    quint64 lastChangeCount_ = 0;
    bool idle_ = false;
    bool away_ = false;             // locked or asleep: input is not the user's work
    bool displayGone_ = false;      // the display is lost: nothing to observe
    bool passwordFocused_ = false;  // the last poll found a password field focused
    bool polling_ = false;
    CaptureScheduler::TimerId snippetTask_ = 0;
    bool running_ = false;
    quint64 run_ = 0;  // counts starts; late results of an earlier run are dropped
};

}  // namespace tarnwhistle
