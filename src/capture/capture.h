// Capture: the one component that touches the live desktop. It watches which application is in
// front, polls the front window, counts input, notices clipboard changes, idle time, sleep and
// screen lock, and turns each into a call on the signal engine. It never decides what a signal
// is, applies no exclusions of its own and never observes the agent's own windows.
//
// Threading: main thread only, except the accessibility reads (poll worker) and screenshot
// recognition (recognition worker), whose results come back to the main thread before they
// reach the engine. Results that arrive after stop() are dropped: the engine has been flushed.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "capture/capture_scheduler.h"
#include "capture/desktop_backend.h"
#include "config/deployment_config.h"
#include "signals/signal_engine_observation.h"

class SignalEngine;

class Capture : public QObject {
    Q_OBJECT
public:
    // The process-wide loop over SignalEngine::shared(), the platform's desktop backend and the
    // live configuration.
    static Capture& shared();

    // `ownPid` is the agent's own process, never observed.
    Capture(SignalEngine& engine, DesktopBackend& backend, CaptureScheduler& scheduler,
            std::function<DeploymentConfig()> configProvider, qint64 ownPid,
            QObject* parent = nullptr);
    ~Capture() override;

    void start();
    void stop(const QString& reason);
    bool running() const { return running_; }
    bool inputMonitorInstalled() const { return inputMonitor_; }

    // The engine's requestSnippet hook: a text sample of `obs`'s window in 2 seconds, unless a
    // newer request comes first or the user has moved to another application.
    void scheduleSnippet(const WindowObservation& obs);

    static constexpr double windowPollInterval = 1.5;
    static constexpr double clipboardPollInterval = 1.0;
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
    void windowPoll();
    void clipboardPoll();
    void idlePoll();
    void heartbeat();
    void retryInputMonitor();
    void installInputMonitor();
    void handleInput(const InputEvent& event);
    void deliverSnippet(quint64 run, const QString& text, const WindowObservation& obs);
    bool isOther(const std::optional<RunningApplication>& app) const;
    // Runs `action` on the main thread if this Capture still exists.
    std::function<void()> weakly(std::function<void(Capture&)> action);

    SignalEngine& engine_;
    DesktopBackend& backend_;
    CaptureScheduler& scheduler_;
    std::function<DeploymentConfig()> config_;
    qint64 ownPid_;

    bool inputMonitor_ = false;
    std::vector<CaptureScheduler::TimerId> timers_;
    std::vector<QMetaObject::Connection> watchers_;
    quint64 lastChangeCount_ = 0;
    bool idle_ = false;
    bool polling_ = false;
    CaptureScheduler::TimerId snippetTask_ = 0;
    bool running_ = false;
    quint64 run_ = 0;  // counts starts; late results of an earlier run are dropped
};
