// Keys, clicks and scrolls: typing bursts and their rhythm, five-minute intensity buckets.
#include <cmath>
#include <numeric>

#include "signals/signal_engine.h"

namespace tarnwhistle {

bool SignalEngine::activity(TimePoint t) {
    // Ending idle may resume another application, so it is decided before the exclusion test.
    if (presence == Presence::idle) idleEnded();
    if (inputExcluded()) return false;
    if (presence == Presence::active) {
        lastActive = t;
        if (!firstActive) firstActive = t;
        bucketSlots.insert(static_cast<qint64>((t - bucketStart) / slotSeconds));  // toward zero
        touchEpisode(t);
    }
    return true;
}

void SignalEngine::key(bool isBackspace, bool isPaste) {
    const TimePoint t = now();
    if (!activity(t)) {
        // Typing in an excluded window ends the burst before it and starts none.
        typingPaused();
        return;
    }
    bucketKeys += 1;
    if (typing) {
        if (lastKeyAt) {
            const double gap = t - *lastKeyAt;
            if (gap < burstGapSeconds && keyIntervals.size() < maxKeyIntervals) keyIntervals.push_back(gap);
        }
    } else {
        typing = true;
        burstStart = t;
        burstKeys = 0;
        burstBackspaces = 0;
        keyIntervals.clear();
        events->log(EventKind::typingStarted, focusName());
    }
    burstKeys += 1;
    if (isBackspace) burstBackspaces += 1;
    lastKeyAt = t;
    if (typingTimer) typingTimer->invalidate();
    typingTimer.reset();
    if (makeTimer) {
        std::weak_ptr<bool> alive = alive_;
        typingTimer = makeTimer(burstGapSeconds, [this, alive] {
            if (!alive.expired()) typingPaused();
        });
    }
    if (isPaste) paste();
}

void SignalEngine::typingPaused() {
    if (!typing) return;
    typing = false;
    if (typingTimer) typingTimer->invalidate();
    typingTimer.reset();
    events->log(EventKind::typingPaused, focusName());
    if (episode) episode->steps += 1;
    if (burstKeys < 10 || !burstStart || !lastKeyAt || !focusApp || keyIntervals.empty()) return;

    const double n = double(keyIntervals.size());
    const double mean = std::accumulate(keyIntervals.begin(), keyIntervals.end(), 0.0) / n;
    double squares = 0;
    for (const double g : keyIntervals) squares += (g - mean) * (g - mean);
    const double sd = std::sqrt(squares / n);  // population deviation
    JSONObject fields = interval(*burstStart, *lastKeyAt);
    fields[QStringLiteral("bundle_id")] = focusApp->bundle;
    fields[QStringLiteral("keys")] = burstKeys;
    fields[QStringLiteral("mean_iki_ms")] = static_cast<qint64>(mean * 1000);
    fields[QStringLiteral("iki_sd_ms")] = static_cast<qint64>(sd * 1000);
    fields[QStringLiteral("backspace_ratio")] = double(burstBackspaces) / double(burstKeys);
    emitSignal(SignalType::inputPattern, std::move(fields));
}

void SignalEngine::click() {
    const TimePoint t = now();
    if (!activity(t)) return;
    bucketClicks += 1;
    if (episode) episode->steps += 1;
    if (t - lastClickLog > 0.5) {  // only the log entry is throttled
        events->log(EventKind::click, focusName());
        lastClickLog = t;
    }
}

void SignalEngine::scroll() {
    const TimePoint t = now();
    if (!activity(t)) return;
    // Counts gestures, not wheel events: at most one per 2 s.
    if (t - lastScrollLog > 2.0) {
        bucketScrolls += 1;
        events->log(EventKind::scroll, focusName());
        lastScrollLog = t;
    }
}

void SignalEngine::closeBucket(TimePoint t) {
    if (bucketKeys + bucketClicks + bucketScrolls >= 1) {
        emitSignal(SignalType::activityIntensity,
                   JSONObject{
                       {QStringLiteral("window_start"), Time::iso(bucketStart)},
                       {QStringLiteral("window_s"), qint64(bucketSeconds)},
                       {QStringLiteral("keystrokes"), bucketKeys},
                       {QStringLiteral("clicks"), bucketClicks},
                       {QStringLiteral("scroll_events"), bucketScrolls},
                       {QStringLiteral("active_ratio"), double(bucketSlots.size()) / 10.0},
                   });
    }
    bucketKeys = bucketClicks = bucketScrolls = 0;
    bucketSlots.clear();
    bucketStart = floorTo(t, bucketSeconds);
}

}  // namespace tarnwhistle
