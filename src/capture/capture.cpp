#include "capture/capture.h"

#include "capture/clipboard_payload.h"
#include "base/graphemes.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

Capture::Capture(SignalEngine& engine, DesktopBackend& backend, CaptureScheduler& scheduler,
                 std::function<DeploymentConfig()> configProvider, qint64 ownPid,
                 QObject* parent, std::function<bool()> pausedProvider)
    : QObject(parent),
      engine_(engine),
      backend_(backend),
      scheduler_(scheduler),
      config_(std::move(configProvider)),
      ownPid_(ownPid),
      // Whatever was on the clipboard before capture began is never reported as a copy.
      lastChangeCount_(backend.clipboardChangeCount()) {
    paused_ = pausedProvider ? std::move(pausedProvider) : [this] { return config_().paused; };
}

Capture::~Capture() {
    for (auto id : {windowTimer_, idleTimer_, heartbeatTimer_, retryTimer_})
        if (id) scheduler_.cancel(id);
    if (snippetTask_) scheduler_.cancel(snippetTask_);
    if (inputMonitor_) backend_.removeInputMonitor();
    if (engine_.requestSnippet) engine_.requestSnippet = nullptr;
}

std::function<void()> Capture::weakly(std::function<void(Capture&)> action) {
    QPointer<Capture> self(this);
    return [self, action = std::move(action)] {
        if (self) action(*self);
    };
}

bool Capture::isOther(const std::optional<RunningApplication>& app) const {
    return app && !app->bundleId.isEmpty() && app->pid != ownPid_;
}

void Capture::start() {
    if (running_) return;
    running_ = true;
    ++run_;
    engine_.start();

    QPointer<Capture> self(this);
    engine_.requestSnippet = [self](const WindowObservation& obs) {
        if (self) self->scheduleSnippet(obs);
    };

    // The equivalents of the workspace and lock notifications; `this` as context makes the
    // connections die with the Capture.
    watchers_.push_back(connect(&backend_, &DesktopBackend::applicationActivated, this,
                                &Capture::activate));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::noFrontApplication, this, &Capture::noFront));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::clipboardChanged, this, &Capture::clipboardPoll));
    watchers_.push_back(connect(&backend_, &DesktopBackend::willSleep, this, &Capture::away));
    watchers_.push_back(connect(&backend_, &DesktopBackend::didWake, this, &Capture::back));
    watchers_.push_back(connect(&backend_, &DesktopBackend::screenLocked, this, &Capture::away));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::screenUnlocked, this, &Capture::back));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::displayLost, this, &Capture::displayLost));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::displayRestored, this, &Capture::displayRestored));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::inputEvent, this, &Capture::handleInput));

    // Counting input needs no accessibility: only the display's input extension.
    if (!inputMonitor_) installInputMonitor();

    if (auto front = backend_.frontmostApplication()) activate(*front);
    else noFront();

    idleTimer_ = scheduler_.every(idlePollInterval, weakly([](Capture& c) { c.idlePoll(); }));
    updatePolling();
    // A copy made while capture was stopped counts once, as the first poll would have seen.
    clipboardPoll();
}

void Capture::updatePolling() {
    const bool here = running_ && !away_ && !idle_ && !displayGone_;
    if (here && !windowTimer_) {
        windowTimer_ =
            scheduler_.every(windowPollInterval, weakly([](Capture& c) { c.windowPoll(); }));
        heartbeatTimer_ =
            scheduler_.every(heartbeatInterval, weakly([](Capture& c) { c.heartbeat(); }));
    } else if (!here && windowTimer_) {
        scheduler_.cancel(windowTimer_);
        scheduler_.cancel(heartbeatTimer_);
        windowTimer_ = heartbeatTimer_ = 0;
    }
}

void Capture::stop(const QString& reason) {
    if (!running_) return;
    running_ = false;
    engine_.flushAll(reason);
    updatePolling();
    for (auto* id : {&idleTimer_, &retryTimer_}) {
        if (*id) scheduler_.cancel(*id);
        *id = 0;
    }
    if (inputMonitor_) {
        backend_.removeInputMonitor();
        inputMonitor_ = false;
    }
    for (const auto& connection : watchers_) disconnect(connection);
    watchers_.clear();
    if (snippetTask_) {
        scheduler_.cancel(snippetTask_);
        snippetTask_ = 0;
    }
}

void Capture::activate(const RunningApplication& app) {
    if (!running_ || !isOther(app)) return;
    engine_.appActivated(app.bundleId, app.name.isEmpty() ? app.bundleId : app.name);
    windowPoll();
}

void Capture::noFront() {
    if (!running_) return;
    passwordFocused_ = false;
    engine_.noFrontApplication();
}

void Capture::away() {
    away_ = true;
    engine_.screenLocked();
    updatePolling();
}

void Capture::back() {
    away_ = false;
    if (!displayGone_) engine_.screenUnlocked();
    updatePolling();
}

void Capture::displayLost() {
    // Without a display nobody can be working here: the time is away time, never active.
    displayGone_ = true;
    passwordFocused_ = false;
    engine_.screenLocked();
    updatePolling();
}

void Capture::displayRestored() {
    displayGone_ = false;
    if (!away_) engine_.screenUnlocked();
    updatePolling();
    if (!inputMonitor_) installInputMonitor();
    if (auto front = backend_.frontmostApplication()) activate(*front);
    else noFront();
}

void Capture::windowPoll() {
    if (polling_ || displayGone_ || !backend_.isAccessibilityTrusted()) return;
    const auto front = backend_.frontmostApplication();
    if (!isOther(front)) return;
    polling_ = true;
    const qint64 pid = front->pid;
    const QString bundleId = front->bundleId;
    const QString name = front->name.isEmpty() ? front->bundleId : front->name;
    const quint64 run = run_;
    DesktopBackend* backend = &backend_;
    CaptureScheduler* scheduler = &scheduler_;
    auto back = [self = QPointer<Capture>(this), run, bundleId, name](std::optional<Snapshot> snap) {
        if (!self) return;
        self->polling_ = false;
        if (!snap || !self->running_ || run != self->run_) return;
        self->passwordFocused_ = snap->passwordFocused;
        self->engine_.windowObserved(
            WindowObservation{bundleId, name, snap->title, snap->url, snap->documentPath});
    };
    scheduler_.post(CaptureScheduler::Queue::poll, [backend, scheduler, pid, bundleId, back] {
        auto snap = backend->snapshot(pid, bundleId, DesktopBackend::Reading::mayReuse);
        scheduler->toMain([back, snap] { back(snap); });
    });
}

void Capture::clipboardPoll() {
    const quint64 count = backend_.clipboardChangeCount();
    if (count == lastChangeCount_) return;
    lastChangeCount_ = count;
    engine_.copyDetected(ClipboardPayload::typeFor(backend_.clipboardTypes()));
}

void Capture::idlePoll() {
    // Unknown idle time (no display) is neither idle nor active.
    const std::optional<double> known = backend_.secondsSinceLastInput();
    if (!known) {
        engine_.tick();
        return;
    }
    const double seconds = *known;
    const double threshold = double(config_().idleThresholdSeconds);
    if (idle_ && seconds < threshold) {
        idle_ = false;
        engine_.idleEnded();
        updatePolling();
    } else if (!idle_ && seconds >= threshold) {
        idle_ = true;
        engine_.idleStarted(scheduler_.now() - seconds);
        updatePolling();
    }
    engine_.tick();
}

void Capture::heartbeat() {
    if (engine_.presence == Presence::active && engine_.events)
        engine_.events->log(EventKind::heartbeat, QString());
}

void Capture::retryInputMonitor() {
    if (!inputMonitor_) installInputMonitor();
}

void Capture::installInputMonitor() {
    inputMonitor_ = backend_.installInputMonitor();
    if (inputMonitor_ && retryTimer_) {
        scheduler_.cancel(retryTimer_);
        retryTimer_ = 0;
    } else if (!inputMonitor_ && !retryTimer_ && running_) {
        retryTimer_ = scheduler_.every(inputMonitorRetryInterval,
                                       weakly([](Capture& c) { c.retryInputMonitor(); }));
    }
}

void Capture::handleInput(const InputEvent& event) {
    // At the lock screen and in password fields keys may spell a password: not even counted.
    if (!running_ || !inputMonitor_ || away_ || displayGone_ || passwordFocused_) return;
    if (paused_()) return;
    // Input into the agent's own windows is not the user's work elsewhere.
    if (const auto front = backend_.frontmostApplication(); front && front->pid == ownPid_) return;
    switch (event.kind) {
        case InputEvent::Kind::leftDown:
        case InputEvent::Kind::rightDown:
            engine_.click();
            break;
        case InputEvent::Kind::keyDown:
            engine_.key(event.isBackspace, event.isPaste);
            break;
        case InputEvent::Kind::scroll:
            engine_.scroll();
            break;
    }
}

bool Capture::stillInFront(const QString& bundleId, quint64 window) const {
    const auto front = backend_.frontmostApplication();
    return front && !front->bundleId.isEmpty() && front->bundleId == bundleId &&
           (window == 0 || front->window == window);
}

void Capture::scheduleSnippet(const WindowObservation& obs) {
    if (snippetTask_) {
        scheduler_.cancel(snippetTask_);
        snippetTask_ = 0;
    }
    const DeploymentConfig config = config_();
    auto enabled = [&config](const char* key) {
        auto it = config.enabledSignals.find(QString::fromLatin1(key));
        return it == config.enabledSignals.end() || it->second;
    };
    if (!enabled("work.category") && !enabled("task.label")) return;
    const auto front = backend_.frontmostApplication();
    if (!front || front->bundleId.isEmpty() || front->bundleId != obs.bundleId) return;
    const qint64 pid = front->pid;
    const quint64 window = front->window;
    const bool screenshotReader = config.screenshotReader;
    const quint64 run = run_;
    DesktopBackend* backend = &backend_;
    CaptureScheduler* scheduler = &scheduler_;
    auto deliver = [self = QPointer<Capture>(this), run, window, obs](const QString& text) {
        if (self) self->deliverSnippet(run, window, text, obs);
    };
    snippetTask_ = scheduler_.after(snippetDelay, [this, backend, scheduler, pid, window, obs,
                                                   screenshotReader, deliver] {
        snippetTask_ = 0;
        // The sample is read by process: another window of it in front would be read instead.
        if (!stillInFront(obs.bundleId, window)) return;
        scheduler->post(CaptureScheduler::Queue::poll, [=] {
            // The address may have changed under an unchanged title, or raced a navigation:
            // a window is sampled only while it still shows what was observed.
            const auto now = backend->snapshot(pid, obs.bundleId, DesktopBackend::Reading::fresh);
            if (!now || now->title != obs.title || now->url != obs.url) return;
            const TextSample sample =
                backend->textSample(pid, obs.bundleId, snippetMaxChars, snippetMaxNodes);
            const QString text = sample.text;
            // Never a picture of a window that holds a password field.
            const bool secure = sample.passwordField || now->passwordFocused;
            if (Graphemes::count(text) <= screenshotFallbackChars && screenshotReader &&
                !secure) {
                scheduler->post(CaptureScheduler::Queue::recognition, [=] {
                    const QString seen = backend->screenshotText(pid, window, snippetMaxChars);
                    scheduler->toMain([=] { deliver(seen.isEmpty() ? text : seen); });
                });
            } else {
                scheduler->toMain([=] { deliver(text); });
            }
        });
    });
}

void Capture::deliverSnippet(quint64 run, quint64 window, const QString& text,
                             const WindowObservation& obs) {
    if (!running_ || run != run_) return;
    // The user moved to another window while it was read: the text is not this window's.
    if (!stillInFront(obs.bundleId, window)) return;
    engine_.snippetCaptured(text, obs);
}
