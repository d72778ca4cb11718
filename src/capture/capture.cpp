#include "capture/capture.h"

#include "capture/clipboard_payload.h"
#include "capture/graphemes.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

Capture::Capture(SignalEngine& engine, DesktopBackend& backend, CaptureScheduler& scheduler,
                 std::function<DeploymentConfig()> configProvider, qint64 ownPid,
                 QObject* parent)
    : QObject(parent),
      engine_(engine),
      backend_(backend),
      scheduler_(scheduler),
      config_(std::move(configProvider)),
      ownPid_(ownPid),
      // Whatever was on the clipboard before capture began is never reported as a copy.
      lastChangeCount_(backend.clipboardChangeCount()) {}

Capture::~Capture() {
    for (auto id : timers_) scheduler_.cancel(id);
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
        connect(&backend_, &DesktopBackend::willSleep, this, [this] { engine_.screenLocked(); }));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::didWake, this, [this] { engine_.screenUnlocked(); }));
    watchers_.push_back(connect(&backend_, &DesktopBackend::screenLocked, this,
                                [this] { engine_.screenLocked(); }));
    watchers_.push_back(connect(&backend_, &DesktopBackend::screenUnlocked, this,
                                [this] { engine_.screenUnlocked(); }));
    watchers_.push_back(
        connect(&backend_, &DesktopBackend::inputEvent, this, &Capture::handleInput));

    if (!inputMonitor_ && backend_.isAccessibilityTrusted()) installInputMonitor();

    if (auto front = backend_.frontmostApplication()) activate(*front);

    timers_.push_back(scheduler_.every(windowPollInterval, weakly([](Capture& c) { c.windowPoll(); })));
    timers_.push_back(
        scheduler_.every(clipboardPollInterval, weakly([](Capture& c) { c.clipboardPoll(); })));
    timers_.push_back(scheduler_.every(idlePollInterval, weakly([](Capture& c) { c.idlePoll(); })));
    timers_.push_back(scheduler_.every(heartbeatInterval, weakly([](Capture& c) { c.heartbeat(); })));
    timers_.push_back(scheduler_.every(inputMonitorRetryInterval,
                                       weakly([](Capture& c) { c.retryInputMonitor(); })));
}

void Capture::stop(const QString& reason) {
    if (!running_) return;
    running_ = false;
    engine_.flushAll(reason);
    for (auto id : timers_) scheduler_.cancel(id);
    timers_.clear();
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

void Capture::windowPoll() {
    if (polling_ || !backend_.isAccessibilityTrusted()) return;
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
        self->engine_.windowObserved(
            WindowObservation{bundleId, name, snap->title, snap->url, snap->documentPath});
    };
    scheduler_.post(CaptureScheduler::Queue::poll, [backend, scheduler, pid, bundleId, back] {
        auto snap = backend->snapshot(pid, bundleId);
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
    const double seconds = backend_.secondsSinceLastInput();
    const double threshold = double(config_().idleThresholdSeconds);
    if (idle_ && seconds < threshold) {
        idle_ = false;
        engine_.idleEnded();
    } else if (!idle_ && seconds >= threshold) {
        idle_ = true;
        engine_.idleStarted(scheduler_.now() - seconds);
    }
    engine_.tick();
}

void Capture::heartbeat() {
    if (engine_.presence == Presence::active && engine_.events)
        engine_.events->log(EventKind::heartbeat, QString());
}

void Capture::retryInputMonitor() {
    if (!inputMonitor_ && backend_.isAccessibilityTrusted()) installInputMonitor();
}

void Capture::installInputMonitor() { inputMonitor_ = backend_.installInputMonitor(); }

void Capture::handleInput(const InputEvent& event) {
    if (!running_ || !inputMonitor_ || config_().paused) return;
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
    const bool screenshotReader = config.screenshotReader;
    const quint64 run = run_;
    DesktopBackend* backend = &backend_;
    CaptureScheduler* scheduler = &scheduler_;
    auto deliver = [self = QPointer<Capture>(this), run, obs](const QString& text) {
        if (self) self->deliverSnippet(run, text, obs);
    };
    snippetTask_ = scheduler_.after(snippetDelay, [this, backend, scheduler, pid, obs,
                                                   screenshotReader, deliver] {
        snippetTask_ = 0;
        scheduler->post(CaptureScheduler::Queue::poll, [=] {
            const QString text =
                backend->textSample(pid, obs.bundleId, snippetMaxChars, snippetMaxNodes);
            if (Graphemes::count(text) <= screenshotFallbackChars && screenshotReader) {
                scheduler->post(CaptureScheduler::Queue::recognition, [=] {
                    const QString seen = backend->screenshotText(pid, snippetMaxChars);
                    scheduler->toMain([=] { deliver(seen.isEmpty() ? text : seen); });
                });
            } else {
                scheduler->toMain([=] { deliver(text); });
            }
        });
    });
}

void Capture::deliverSnippet(quint64 run, const QString& text, const WindowObservation& obs) {
    if (!running_ || run != run_) return;
    engine_.snippetCaptured(text, obs);
}
