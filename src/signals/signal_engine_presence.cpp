// Presence (active, idle, locked) and the suspension and resumption of focus around it.
#include "signals/signal_engine.h"

namespace tarnwhistle {

void SignalEngine::closePresence(TimePoint t) {
    const double d = t - presenceSince;
    if (d < 1) return;
    JSONObject fields = interval(presenceSince, t);
    fields[QStringLiteral("state")] = rawValue(presence);
    emitSignal(SignalType::activityPresence, std::move(fields));
    if (presence != Presence::active) {
        idleSeconds += d;
        if (d >= 300) breaks += 1;
    } else {
        activeSeconds += d;
    }
}

void SignalEngine::cutActivePeriod(TimePoint t) {
    closePresence(t);
    presenceSince = t;
}

void SignalEngine::idleStarted(TimePoint since) {
    if (presence != Presence::active) return;
    const TimePoint s = std::max(presenceSince, since);
    events->log(EventKind::idleStarted, {});
    closePresence(s);
    suspendFocus(s);
    presence = Presence::idle;
    presenceSince = s;
}

void SignalEngine::idleEnded() {
    if (presence != Presence::idle) return;
    const TimePoint t = now();
    events->log(EventKind::idleEnded, {});
    if (t - presenceSince >= double(configProvider().episodeGapSeconds)) {
        closeEpisode(presenceSince, QStringLiteral("idle"));
    }
    closePresence(t);
    presence = Presence::active;
    presenceSince = t;
    resume();
}

void SignalEngine::screenLocked() {
    if (presence == Presence::locked) return;
    const TimePoint t = now();
    events->log(EventKind::screenLocked, {});
    closePresence(t);
    // When idle, focus was already suspended as idle began.
    if (presence == Presence::active) suspendFocus(t);
    closeEpisode(t, QStringLiteral("locked"));
    presence = Presence::locked;
    presenceSince = t;
}

void SignalEngine::screenUnlocked() {
    if (presence != Presence::locked) return;
    const TimePoint t = now();
    events->log(EventKind::screenUnlocked, {});
    closePresence(t);
    presence = Presence::active;
    presenceSince = t;
    resume();
}

void SignalEngine::resume() {
    if (!suspended) return;
    const SuspendedFocus s = *suspended;
    suspended.reset();
    appActivated(s.app.bundle, s.app.name);
    if (s.obs) windowObserved(*s.obs);
}

}  // namespace tarnwhistle
