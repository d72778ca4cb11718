// SignalEngine: the state machine that turns the capture loop's observations (front
// application, front window, input, clipboard, idle, lock, a 5-second tick) into signals about
// presence, focus, window contexts, documents, task episodes, handovers, input rhythm and
// hourly and daily summaries.
//
// Threading: every operation runs on the main thread; the engine holds no lock. Classification
// answers and the typing timer come back on the main thread too.
//
// Replaceable dependencies: `configProvider`, `sink`, `now`, `classify` and `makeTimer` are
// plain function members, so the engine runs against any configuration source, receiver,
// clock, classifier and timer (tests and the replay driver drive time by hand). The defaults
// reach no other subsystem: whoever creates the engine wires it before the first call.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "config/category_def.h"
#include "config/deployment_config.h"
#include "intelligence/classification.h"
#include "signals/event_log.h"
#include "signals/json_value.h"
#include "signals/signal.h"
#include "signals/signal_engine_observation.h"
#include "signals/signal_type.h"
#include "signals/time.h"

namespace tarnwhistle {

enum class Presence { active, idle, locked };
QString rawValue(Presence presence);  // "active", "idle", "locked"

// A pending one-shot timer. Dropping the last reference or calling invalidate() stops it.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void invalidate() = 0;
};

// An open window context: what the front window is, in privacy-safe form.
struct WindowContext {
    QString bundleId;
    QString appName;
    std::optional<QString> host;
    std::optional<QString> domain;
    std::optional<QString> titleHash;  // "th_" code of the title as observed
    QString titleClass;
    std::optional<QString> docRef;  // "dh_" code of the document identity
    std::optional<QString> docClass;
    std::optional<QString> ruleCategory;
    QString classifierHint;  // never leaves the machine
};

// An open task episode: one continuous stretch of work across applications.
struct Episode {
    QString id;  // "ep_" + ULID of the start
    TimePoint start = 0;
    TimePoint last = 0;                // last touch
    std::vector<QString> apps;        // first appearance order, no repeats
    std::vector<QString> docs;        // "dh_" codes, first appearance order, no repeats
    qint64 steps = 0;                 // clicks plus ended typing bursts
    qint64 switches = 0;
    qint64 pastes = 0;
    qint64 revisits = 0;
    std::vector<QString> snippets;    // redacted, at most 600 characters each, 6 newest
    std::optional<QString> lastDoc;
};

struct FocusedApp {
    QString bundle;
    QString name;
    bool operator==(const FocusedApp&) const = default;
};

struct SuspendedFocus {
    FocusedApp app;
    std::optional<WindowObservation> obs;
};

struct CopyMark {
    TimePoint at = 0;
    QString bundle;
    std::optional<QString> doc;
    QString type;  // "file", "image", "text", "other"
};

struct HourAppEntry {
    QString name;
    double active = 0;  // seconds inside the hour window
    qint64 count = 0;   // focuses that ended in the window
};

class SignalEngine {
public:
    using ClassifyDone = std::function<void(std::optional<Classification>)>;
    // (text, labels, rule category, use the language model, completion). The completion may be
    // called at once or later, on the main thread, at most once.
    using ClassifyFunction =
        std::function<void(const QString& text, const CategoryList& labels,
                           const std::optional<QString>& rule, bool useLanguageModel,
                           ClassifyDone done)>;
    // Starts a one-shot timer that calls `action` after `seconds` on the main thread.
    using TimerFactory =
        std::function<std::shared_ptr<OneShotTimer>(double seconds, std::function<void()> action)>;

    // The process-wide engine, created on first use with the default dependencies.
    static SignalEngine& shared();

    // A fresh engine; the construction-time fields take the given clock's current time.
    SignalEngine();
    explicit SignalEngine(std::function<TimePoint()> clock);
    ~SignalEngine();
    SignalEngine(const SignalEngine&) = delete;
    SignalEngine& operator=(const SignalEngine&) = delete;

    // Classification from the rule category alone, or nothing without one.
    static std::optional<Classification> ruleOnly(const std::optional<QString>& rule);

    // ---- Operations of the capture loop ---------------------------------------------------
    void start();
    void tick();
    void flushAll(const QString& reason);
    void appActivated(const QString& bundleId, const QString& name);
    // Nothing nameable is in front: the focus ends and no application takes its place.
    void noFrontApplication();
    void windowObserved(const WindowObservation& obs);
    void snippetCaptured(const QString& text, const WindowObservation& obs);
    void key(bool isBackspace, bool isPaste);
    void click();
    void scroll();
    void copyDetected(const QString& payloadType);
    void idleStarted(TimePoint since);
    void idleEnded();
    void screenLocked();
    void screenUnlocked();

    // ---- Replaceable dependencies -----------------------------------------------------------
    std::function<DeploymentConfig()> configProvider;  // read afresh at every use
    std::function<void(const Signal&)> sink;
    std::function<TimePoint()> now;
    ClassifyFunction classify;
    TimerFactory makeTimer;

    QString userPrincipal;  // the login name at construction
    // Until its creator wires the application's log: a log of the engine's own, which nobody
    // shows.
    EventLog* events;
    // Installed by the capture loop: read a text sample of this window, later.
    std::function<void(const WindowObservation&)> requestSnippet;

    // ---- State (read by tests and the status display; changed only by the operations) ------
    Presence presence = Presence::active;
    TimePoint presenceSince = 0;
    std::optional<FocusedApp> focusApp;
    std::optional<TimePoint> focusSince;
    double lastFocusSeconds = 0;
    std::optional<SuspendedFocus> suspended;
    std::optional<WindowObservation> lastObservation;
    std::optional<WindowContext> context;
    std::optional<TimePoint> contextSince;
    std::vector<QString> contextSnippets;  // the 3 newest
    bool contextExcluded = false;
    // The latest activation named an excluded application: its input is not noticed.
    bool excludedAppInFront = false;
    TimePoint bucketStart = 0;
    qint64 bucketKeys = 0, bucketClicks = 0, bucketScrolls = 0;
    std::set<qint64> bucketSlots;
    bool typing = false;
    std::optional<TimePoint> burstStart;
    std::optional<TimePoint> lastKeyAt;
    qint64 burstKeys = 0, burstBackspaces = 0;
    std::vector<double> keyIntervals;
    std::shared_ptr<OneShotTimer> typingTimer;
    std::optional<Episode> episode;
    std::optional<CopyMark> lastCopy;
    TimePoint hourStart = 0;
    std::map<QString, HourAppEntry> hourApps;
    qint64 hourSwitches = 0;
    QString dayKey;
    std::optional<TimePoint> firstActive, lastActive;
    double activeSeconds = 0, idleSeconds = 0;
    double longestFocus = 0;
    qint64 breaks = 0;
    std::set<QString> docsSeenToday;
    TimePoint lastScrollLog, lastClickLog;

    static constexpr double bucketSeconds = 300;
    static constexpr double slotSeconds = 30;
    static constexpr double hourSeconds = 3600;
    static constexpr double burstGapSeconds = 2.0;
    static constexpr std::size_t maxKeyIntervals = 5000;
    static constexpr double maxEpisodeSeconds = 7200;
    static constexpr double handoverSeconds = 120;

private:
    EventLog ownEvents_;  // where events go until the creator wires `events`
    // Emission: the one way a signal is made (gate on paused and enabledSignals). Not called
    // `emit`, which Qt reserves as a macro.
    void emitSignal(SignalType type, JSONObject fields);
    static JSONObject interval(TimePoint from, TimePoint to);
    static qint64 roundedSeconds(double seconds);
    static TimePoint floorTo(TimePoint t, double step);

    // Presence and focus.
    void closePresence(TimePoint t);
    void cutActivePeriod(TimePoint t);
    void resume();
    void closeFocus(TimePoint t);
    void suspendFocus(TimePoint t);
    QString focusName() const;

    // Window context.
    void closeContext(TimePoint t);

    // Episodes and handover.
    void touchEpisode(TimePoint t);
    void closeEpisode(TimePoint t, const QString& reason);
    void paste();

    // Input and intensity.
    bool inputExcluded() const { return excludedAppInFront || contextExcluded; }
    // The common step of key, click and scroll: ends idle, then marks the activity. False when
    // the input is not to be noticed at all (an excluded application or window in front).
    bool activity(TimePoint t);
    void typingPaused();
    void closeBucket(TimePoint t);

    // Summaries.
    void addToHour(const FocusedApp& app, TimePoint since, TimePoint end, bool ended);
    void flushHour(TimePoint end);
    void dayRollover(TimePoint t, const QString& newDay);
    void resetDayTallies(const QString& newDay);
    void emitDaySummary(bool partial);

    // A classifier-fed type is wanted unless switched off (a missing key counts as on) or paused.
    static bool classifierWanted(const DeploymentConfig& config, SignalType type);
    // Starts a classification and hands its answer to `onResult` when one comes back, unless
    // the engine is gone by then.
    void classifyThen(const QString& text, const CategoryList& labels,
                      const std::optional<QString>& rule, bool useLanguageModel,
                      std::function<void(const Classification&)> onResult);

    // dayString(t) for the tick, remembered for the rest of the local day: the tick runs every
    // 5 s and the date lookup reads the zone each time. Looked up again at least once a minute,
    // so a change of the machine's time zone still takes effect.
    QString localDay(TimePoint t);
    struct LocalDay {
        QString day;
        TimePoint from = 0, until = 0;  // the day's local midnights
        TimePoint checked = 0;
    };
    std::optional<LocalDay> localDay_;

    // Expires when the engine is destroyed; late callbacks check it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tarnwhistle
