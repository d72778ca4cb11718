// Replaying recorded or scripted traces through the signal engine, on virtual time.
//
// Trace format: JSON lines, each {"t": <seconds since 1970>, "call": "<operation>", ...} with the
// operation's arguments under their labels: start, tick, flushAll (reason), appActivated
// (bundleId, name), windowObserved and snippetCaptured (bundleId, appName, title, url,
// documentPath; snippetCaptured adds text; absent or null optional fields are absent), key
// (isBackspace, isPaste), click, scroll, copyDetected (payloadType), idleStarted (since),
// idleEnded, screenLocked, screenUnlocked. Lines come in time order; blank lines and lines
// starting with "//" are skipped.
//
// The engine's clock is the line's time. The typing timer is virtual: before a line is applied,
// every burst-end timer due at or before its time fires, at its due time. Classification answers
// arrive after the line that asked for them, before the next line.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "signals/signal_engine.h"

struct TraceCall {
    enum class Op {
        start,
        tick,
        flushAll,
        appActivated,
        windowObserved,
        snippetCaptured,
        key,
        click,
        scroll,
        copyDetected,
        idleStarted,
        idleEnded,
        screenLocked,
        screenUnlocked,
    };

    TimePoint t = 0;
    Op op = Op::tick;
    QString text;  // reason, name, payload type or snippet text, by operation
    QString bundleId;
    WindowObservation obs;
    bool isBackspace = false;
    bool isPaste = false;
    TimePoint since = 0;
    qsizetype line = 0;  // where the call stood in its trace, for messages

    static QString name(Op op);
    static std::optional<Op> opNamed(const QString& name);

    // One trace line as JSON text (the inverse of parseTraceLine).
    QByteArray toJsonLine() const;
};

// Parses one line. Returns false with `error` set when the line is malformed; true with `out`
// empty for blank and comment lines.
bool parseTraceLine(const QByteArray& line, std::optional<TraceCall>& out, QString* error);

// Parses a whole trace; on the first malformed line, or one earlier than the line before, returns
// nullopt with "line N: ..." in `error`.
std::optional<std::vector<TraceCall>> parseTrace(const QByteArray& text, QString* error);

// A clock and one-shot timers that move only when told to.
class VirtualTime {
public:
    std::function<TimePoint()> clock();
    SignalEngine::TimerFactory timers();

    TimePoint current() const { return current_; }
    // Fires every pending timer due at or before `t` in due order, with the clock at each due
    // time, then sets the clock to `t`.
    void advanceTo(TimePoint t);
    // The due time of the earliest pending timer.
    std::optional<TimePoint> nextDue() const;

private:
    struct Timer;
    TimePoint current_ = 0;
    std::vector<std::shared_ptr<Timer>> pending_;
};

// Rule-category answers (derivation "rule", model "rules", or nothing without a rule), held back
// until drain() is called, as an asynchronous classifier would answer later.
class DeferredRuleClassifier {
public:
    struct Request {
        QString text;
        CategoryList labels;
        std::optional<QString> rule;
        bool useLanguageModel = false;
    };

    SignalEngine::ClassifyFunction function();
    // Delivers every answer held back, in request order (including answers to requests made
    // while draining). Returns how many were delivered.
    int drain();

    std::vector<Request> requests;  // every request, in order

private:
    std::vector<std::function<void()>> pending_;
};

class TraceReplayer {
public:
    enum class ClassifierMode { rules, full };
    struct Options {
        DeploymentConfig config;
        std::optional<QString> user;  // the login name behind the subject code
        ClassifierMode classifier = ClassifierMode::rules;
    };

    TraceReplayer(Options options, std::function<void(const Signal&)> sink);
    ~TraceReplayer();

    // Applies one call: due timers first, then the call, then the classification answers it
    // caused. Fails (false, `error` set) when the call is earlier than the one before.
    bool apply(const TraceCall& call, QString* error = nullptr);

    // The engine, created at the first call's time; null before.
    SignalEngine* engine() { return engine_.get(); }
    EventLog& events() { return events_; }

private:
    void ensureEngine(TimePoint t);
    void invoke(const TraceCall& call);
    void settleClassifications();

    Options options_;
    std::function<void(const Signal&)> sink_;
    VirtualTime time_;
    DeferredRuleClassifier rules_;
    EventLog events_;
    // Answers of the full classifier still to come; shared so a late answer finds it.
    std::shared_ptr<int> inFlight_ = std::make_shared<int>(0);
    std::unique_ptr<SignalEngine> engine_;
};

// A realistic 8-hour working day as a trace (several applications, browser tabs, documents,
// copy and paste between applications, idle periods, a lock, a lunch break, typing bursts).
// The same seed always gives the same trace.
QByteArray generateWorkdayTrace(quint64 seed);
