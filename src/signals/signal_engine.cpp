#include "signals/signal_engine.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

#include "base/system_calls.h"
#include "signals/ulid.h"

namespace tarnwhistle {

QString rawValue(Presence presence) {
    switch (presence) {
        case Presence::active: return QStringLiteral("active");
        case Presence::idle: return QStringLiteral("idle");
        case Presence::locked: return QStringLiteral("locked");
    }
    return {};
}

std::shared_ptr<OneShotTimer> makeQtOneShotTimer(double seconds, std::function<void()> action);

SignalEngine& SignalEngine::shared() {
    static SignalEngine* instance = new SignalEngine();  // lives until the process ends
    return *instance;
}

SignalEngine::SignalEngine() : SignalEngine(Time::now) {}

SignalEngine::SignalEngine(std::function<TimePoint()> clock)
    // Until its creator wires it: default settings, signals go nowhere, and classification
    // is the rule category alone.
    : configProvider([] { return DeploymentConfig(); }),
      sink([](const Signal&) {}),
      now(std::move(clock)),
      classify([](const QString&, const CategoryList&, const std::optional<QString>& rule, bool,
                  ClassifyDone done) { done(ruleOnly(rule)); }),
      makeTimer(makeQtOneShotTimer),
      userPrincipal(SystemCalls::loginName()),
      events(&ownEvents_),
      lastScrollLog(-62135596800.0),  // the distant past: year 1
      lastClickLog(-62135596800.0) {
    const TimePoint t = now();
    presenceSince = t;
    bucketStart = t;
    hourStart = t;
}

SignalEngine::~SignalEngine() {
    if (typingTimer) typingTimer->invalidate();
}

std::optional<Classification> SignalEngine::ruleOnly(const std::optional<QString>& rule) {
    if (!rule) return std::nullopt;
    return Classification{*rule, std::nullopt, QStringLiteral("rule"), QStringLiteral("rules")};
}

TimePoint SignalEngine::floorTo(TimePoint t, double step) { return std::floor(t / step) * step; }

qint64 SignalEngine::roundedSeconds(double seconds) {
    return static_cast<qint64>(std::round(seconds));  // halves away from zero
}

JSONObject SignalEngine::interval(TimePoint from, TimePoint to) {
    return JSONObject{
        {QStringLiteral("start"), Time::iso(from)},
        {QStringLiteral("end"), Time::iso(to)},
        {QStringLiteral("duration_s"), std::max<qint64>(0, roundedSeconds(to - from))},
    };
}

void SignalEngine::emitSignal(SignalType type, JSONObject fields) {
    const DeploymentConfig config = configProvider();
    if (config.paused) return;
    if (type.comingLater() || !type.isOn(config.enabledSignals)) return;
    // The id stamps the real time of making, whatever clock drives the engine.
    const Signal signal{ULID::make(Time::now()), type.rawValue(), 1, std::move(fields)};
    if (sink) sink(signal);
}

bool SignalEngine::classifierWanted(const DeploymentConfig& config, SignalType type) {
    return type.isOn(config.enabledSignals) && !config.paused;
}

void SignalEngine::classifyThen(const QString& text, const CategoryList& labels,
                                const std::optional<QString>& rule, bool useLanguageModel,
                                std::function<void(const Classification&)> onResult) {
    if (!classify) return;
    std::weak_ptr<bool> alive = alive_;
    classify(text, labels, rule, useLanguageModel,
             [alive, onResult = std::move(onResult)](std::optional<Classification> answer) {
                 if (!alive.expired() && answer) onResult(*answer);
             });
}

QString SignalEngine::localDay(TimePoint t) {
    if (localDay_ && t >= localDay_->from && t < localDay_->until && t >= localDay_->checked &&
        t < localDay_->checked + 60) {
        return localDay_->day;
    }
    const QString day = dayString(t);
    if (!localDay_ || localDay_->day != day) {
        const QDate date = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
        localDay_ = LocalDay{day, double(QDateTime(date, QTime(0, 0)).toSecsSinceEpoch()),
                             double(QDateTime(date.addDays(1), QTime(0, 0)).toSecsSinceEpoch()), t};
    }
    localDay_->checked = t;
    return day;
}

void SignalEngine::start() {
    const TimePoint t = now();
    presence = Presence::active;
    presenceSince = t;
    bucketStart = floorTo(t, bucketSeconds);
    hourStart = floorTo(t, hourSeconds);
    localDay_.reset();
    const QString today = dayString(t);
    // After a pause across midnight the old day's tallies must not leak into the new day; its
    // partial summary went out when capture stopped.
    if (today != dayKey) resetDayTallies(today);
    firstActive = t;
}

void SignalEngine::tick() {
    const TimePoint t = now();
    if (t - bucketStart >= bucketSeconds) closeBucket(t);
    if (t - hourStart >= hourSeconds) {
        if (presence == Presence::active) cutActivePeriod(t);
        flushHour(t);
        hourStart = floorTo(t, hourSeconds);
    }
    const QString today = localDay(t);
    if (today != dayKey) dayRollover(t, today);
    if (episode) {
        if (presence != Presence::active &&
            t - presenceSince >= double(configProvider().episodeGapSeconds)) {
            closeEpisode(presenceSince, QStringLiteral("idle"));
            return;
        }
        if (t - episode->start >= maxEpisodeSeconds) closeEpisode(t, QStringLiteral("max_length"));
    }
}

void SignalEngine::flushAll(const QString& reason) {
    const TimePoint t = now();
    typingPaused();
    if (presence == Presence::active) cutActivePeriod(t);
    const std::optional<FocusedApp> keptFocus = focusApp;
    const std::optional<WindowObservation> keptObservation = lastObservation;
    closeFocus(t);
    closeEpisode(t, reason);
    // Input before the pause belongs to the bucket it happened in, not the first after resuming.
    closeBucket(t);
    flushHour(t);
    hourStart = t;
    emitDaySummary(true);
    if (reason == QStringLiteral("pause") && keptFocus) {
        suspended = SuspendedFocus{*keptFocus, keptObservation};
    }
    lastObservation.reset();
}

}  // namespace tarnwhistle
