#include "capture/capture.h"

#include "capture/clipboard_payload.h"
#include "base/graphemes.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

namespace tarnwhistle {

Capture::Capture(SignalEngine& engine, DesktopBackend backend, CaptureScheduler& scheduler,
                 std::function<DeploymentConfig()> configProvider, qint64 ownPid,
                 QObject* parent, std::function<bool()> pausedProvider)
    : QObject(parent),
      engine_(engine),
      backend_(backend),
      scheduler_(scheduler),
      config_(std::move(configProvider)),
      ownPid_(ownPid),
      // Whatever was on the clipboard before capture began is never reported as a copy.
      lastChangeCount_(backend.clipboard ? backend.clipboard->clipboardChangeCount() : 0) {
    paused_ = pausedProvider ? std::move(pausedProvider) : [this] { return config_().paused; };
}

Capture::~Capture() {
    for (auto id : {windowTimer_, idleTimer_, heartbeatTimer_, retryTimer_})
        if (id) scheduler_.cancel(id);
    if (snippetTask_) scheduler_.cancel(snippetTask_);
    if (inputMonitor_) backend_.input->removeInputMonitor();
    // A stopped Capture no longer holds the slots: another may be watching now.
    if (running_ && !blind()) unwatch();
    if (engine_.requestSnippet) engine_.requestSnippet = nullptr;
}

std::function<void()> Capture::weakly(std::function<void(Capture&)> action) {
    QPointer<Capture> self(this);
    return [self, action = std::move(action)] {
        if (self) action(*self);
    };
}

std::optional<RunningApplication> Capture::frontmost() const {
    return backend_.frontWindow ? backend_.frontWindow->frontmostApplication() : std::nullopt;
}

void Capture::watch() {
    // The equivalents of the workspace and lock notifications, each through a weak handle so a
    // late call after the Capture is gone reaches nothing.
    if (auto* front = backend_.frontWindow) {
        front->frontWatch = {
            .activated = [self = QPointer<Capture>(this)](const RunningApplication& app) {
                if (self) self->activate(app);
            },
            .noFront = weakly([](Capture& c) { c.noFront(); }),
            .lost = weakly([](Capture& c) { c.displayLost(); }),
            .restored = weakly([](Capture& c) { c.displayRestored(); }),
        };
    }
    if (auto* clipboard = backend_.clipboard)
        clipboard->clipboardWatch = {.changed = weakly([](Capture& c) { c.clipboardPoll(); })};
    if (auto* locks = backend_.locks) {
        locks->lockWatch = {
            .locked = weakly([](Capture& c) { c.away(); }),
            .unlocked = weakly([](Capture& c) { c.back(); }),
            .sleeping = weakly([](Capture& c) { c.away(); }),
            .woke = weakly([](Capture& c) { c.back(); }),
        };
    }
    if (auto* input = backend_.input) {
        input->inputWatch = {.input = [self = QPointer<Capture>(this)](const InputEvent& event) {
            if (self) self->handleInput(event);
        }};
    }
}

void Capture::unwatch() {
    if (backend_.frontWindow) backend_.frontWindow->frontWatch = {};
    if (backend_.clipboard) backend_.clipboard->clipboardWatch = {};
    if (backend_.locks) backend_.locks->lockWatch = {};
    if (backend_.input) backend_.input->inputWatch = {};
}

bool Capture::isOther(const std::optional<RunningApplication>& app) const {
    return app && !app->bundleId.isEmpty() && app->pid != ownPid_;
}

bool Capture::blind() const {
    // Without a front window and without idle time nothing says whether anyone works here:
    // the engine would book the whole run as active presence.
    return !backend_.frontWindow && !backend_.idle;
}

void Capture::start() {
    if (running_) return;
    running_ = true;
    ++run_;
    if (blind()) return;
    engine_.start();

    QPointer<Capture> self(this);
    engine_.requestSnippet = [self](const WindowObservation& obs) {
        if (self) self->scheduleSnippet(obs);
    };

    watch();

    // Counting input needs no accessibility: only the display's input extension.
    if (!inputMonitor_) installInputMonitor();

    if (auto front = frontmost()) activate(*front);
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
    if (blind()) return;
    engine_.flushAll(reason);
    updatePolling();
    for (auto* id : {&idleTimer_, &retryTimer_}) {
        if (*id) scheduler_.cancel(*id);
        *id = 0;
    }
    if (inputMonitor_) {
        backend_.input->removeInputMonitor();
        inputMonitor_ = false;
    }
    unwatch();
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
    if (auto front = frontmost()) activate(*front);
    else noFront();
}

void Capture::windowPoll() {
    WindowReader* reader = backend_.reader;
    if (polling_ || displayGone_ || !reader || !reader->isAccessibilityTrusted()) return;
    const auto front = frontmost();
    if (!isOther(front)) return;
    polling_ = true;
    const qint64 pid = front->pid;
    const QString bundleId = front->bundleId;
    const QString name = front->name.isEmpty() ? front->bundleId : front->name;
    const quint64 run = run_;
    CaptureScheduler* scheduler = &scheduler_;
    auto back = [self = QPointer<Capture>(this), run, pid, bundleId,
                 name](std::optional<Snapshot> snap) {
        if (!self) return;
        self->polling_ = false;
        if (!snap || !self->running_ || run != self->run_) return;
        // The user moved on while the window was read: booking it would reopen a focus that
        // has ended. The one in front now is read instead.
        const auto now = self->frontmost();
        if (!now || now->pid != pid || now->bundleId != bundleId) {
            self->windowPoll();
            return;
        }
        self->passwordFocused_ = snap->passwordFocused;
        self->engine_.windowObserved(
            WindowObservation{bundleId, name, snap->title, snap->url, snap->documentPath});
    };
    scheduler_.post(CaptureScheduler::Queue::poll, [reader, scheduler, pid, bundleId, back] {
        auto snap = reader->snapshot(pid, bundleId, WindowReader::Reading::mayReuse);
        scheduler->toMain([back, snap] { back(snap); });
    });
}

void Capture::clipboardPoll() {
    if (!backend_.clipboard) return;
    const quint64 count = backend_.clipboard->clipboardChangeCount();
    if (count == lastChangeCount_) return;
    lastChangeCount_ = count;
    engine_.copyDetected(ClipboardPayload::typeFor(backend_.clipboard->clipboardTypes()));
}

void Capture::idlePoll() {
    // Unknown idle time (no display, or no way to know) is neither idle nor active.
    const std::optional<double> known =
        backend_.idle ? backend_.idle->secondsSinceLastInput() : std::nullopt;
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
    // Without an input source there is nothing to retry: input is not counted at all.
    if (!backend_.input) return;
    inputMonitor_ = backend_.input->installInputMonitor();
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
    if (const auto front = frontmost(); front && front->pid == ownPid_) return;
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
    const auto front = frontmost();
    return front && !front->bundleId.isEmpty() && front->bundleId == bundleId &&
           (window == 0 || front->window == window);
}

void Capture::scheduleSnippet(const WindowObservation& obs) {
    if (snippetTask_) {
        scheduler_.cancel(snippetTask_);
        snippetTask_ = 0;
    }
    const DeploymentConfig config = config_();
    if (!SignalType(SignalType::workCategory).isOn(config.enabledSignals) &&
        !SignalType(SignalType::taskLabel).isOn(config.enabledSignals))
        return;
    WindowReader* reader = backend_.reader;
    WindowPicture* picture = backend_.picture;
    if (!reader) return;
    const auto front = frontmost();
    if (!front || front->bundleId.isEmpty() || front->bundleId != obs.bundleId) return;
    const qint64 pid = front->pid;
    const quint64 window = front->window;
    const bool screenshotReader = config.screenshotReader && picture;
    const quint64 run = run_;
    CaptureScheduler* scheduler = &scheduler_;
    auto deliver = [self = QPointer<Capture>(this), run, window, obs](const QString& text) {
        if (self) self->deliverSnippet(run, window, text, obs);
    };
    snippetTask_ = scheduler_.after(snippetDelay, [this, reader, picture, scheduler, pid, window,
                                                   obs, screenshotReader, deliver] {
        snippetTask_ = 0;
        // The sample is read by process: another window of it in front would be read instead.
        if (!stillInFront(obs.bundleId, window)) return;
        scheduler->post(CaptureScheduler::Queue::poll, [=] {
            // The address may have changed under an unchanged title, or raced a navigation:
            // a window is sampled only while it still shows what was observed.
            const auto now = reader->snapshot(pid, obs.bundleId, WindowReader::Reading::fresh);
            if (!now || now->title != obs.title || now->url != obs.url) return;
            const TextSample sample =
                reader->textSample(pid, obs.bundleId, snippetMaxChars, snippetMaxNodes);
            const QString text = sample.text;
            // Never a picture of a window that holds a password field.
            const bool secure = sample.passwordField || now->passwordFocused;
            if (Graphemes::count(text) <= screenshotFallbackChars && screenshotReader &&
                !secure) {
                scheduler->post(CaptureScheduler::Queue::recognition, [=] {
                    const QString seen = picture->screenshotText(pid, window, snippetMaxChars);
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

}  // namespace tarnwhistle
