#include "signals/signal_engine_replay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <algorithm>
#include <cmath>

#include "intelligence/classifier.h"

namespace {

using Op = TraceCall::Op;

constexpr const char* kOpNames[] = {
    "start", "tick",  "flushAll",     "appActivated", "windowObserved", "snippetCaptured",
    "key",   "click", "scroll",       "copyDetected", "idleStarted",    "idleEnded",
    "screenLocked", "screenUnlocked",
};

// Reads the members of one line, collecting the first problem.
struct LineReader {
    const QJsonObject& object;
    QString problem;

    bool fail(const QString& text) {
        if (problem.isEmpty()) problem = text;
        return false;
    }
    QString string(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (!v.isString()) fail(QStringLiteral("\"%1\" must be a string").arg(key));
        return v.toString();
    }
    std::optional<QString> optionalString(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) return std::nullopt;
        if (!v.isString()) fail(QStringLiteral("\"%1\" must be a string or null").arg(key));
        return v.toString();
    }
    bool flag(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) return false;
        if (!v.isBool()) fail(QStringLiteral("\"%1\" must be true or false").arg(key));
        return v.toBool();
    }
    double number(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (!v.isDouble() || !std::isfinite(v.toDouble())) {
            fail(QStringLiteral("\"%1\" must be a number").arg(key));
        }
        return v.toDouble();
    }
    WindowObservation observation() {
        WindowObservation obs;
        obs.bundleId = string("bundleId");
        obs.appName = string("appName");
        obs.title = string("title");
        obs.url = optionalString("url");
        obs.documentPath = optionalString("documentPath");
        return obs;
    }
};

}  // namespace

QString TraceCall::name(Op op) { return QString::fromLatin1(kOpNames[int(op)]); }

std::optional<TraceCall::Op> TraceCall::opNamed(const QString& name) {
    for (int i = 0; i <= int(Op::screenUnlocked); ++i) {
        if (name == QLatin1String(kOpNames[i])) return Op(i);
    }
    return std::nullopt;
}

QByteArray TraceCall::toJsonLine() const {
    QJsonObject o{{"t", t}, {"call", name(op)}};
    auto putObservation = [&] {
        o.insert("bundleId", obs.bundleId);
        o.insert("appName", obs.appName);
        o.insert("title", obs.title);
        if (obs.url) o.insert("url", *obs.url);
        if (obs.documentPath) o.insert("documentPath", *obs.documentPath);
    };
    switch (op) {
        case Op::flushAll: o.insert("reason", text); break;
        case Op::appActivated:
            o.insert("bundleId", bundleId);
            o.insert("name", text);
            break;
        case Op::windowObserved: putObservation(); break;
        case Op::snippetCaptured:
            putObservation();
            o.insert("text", text);
            break;
        case Op::key:
            o.insert("isBackspace", isBackspace);
            o.insert("isPaste", isPaste);
            break;
        case Op::copyDetected: o.insert("payloadType", text); break;
        case Op::idleStarted: o.insert("since", since); break;
        default: break;
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool parseTraceLine(const QByteArray& line, std::optional<TraceCall>& out, QString* error) {
    out.reset();
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith("//")) return true;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(trimmed, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error) {
            *error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("not JSON: ") + parseError.errorString()
                         : QStringLiteral("not a JSON object");
        }
        return false;
    }
    const QJsonObject object = doc.object();
    LineReader r{object, {}};
    TraceCall call;
    call.t = r.number("t");
    const QString callName = r.string("call");
    const std::optional<Op> op = TraceCall::opNamed(callName);
    if (r.problem.isEmpty() && !op) r.fail(QStringLiteral("unknown call \"%1\"").arg(callName));
    if (op) {
        call.op = *op;
        switch (*op) {
            case Op::flushAll: call.text = r.string("reason"); break;
            case Op::appActivated:
                call.bundleId = r.string("bundleId");
                call.text = r.string("name");
                break;
            case Op::windowObserved: call.obs = r.observation(); break;
            case Op::snippetCaptured:
                call.obs = r.observation();
                call.text = r.string("text");
                break;
            case Op::key:
                call.isBackspace = r.flag("isBackspace");
                call.isPaste = r.flag("isPaste");
                break;
            case Op::copyDetected: call.text = r.string("payloadType"); break;
            case Op::idleStarted: call.since = r.number("since"); break;
            default: break;
        }
    }
    if (!r.problem.isEmpty()) {
        if (error) *error = r.problem;
        return false;
    }
    out = std::move(call);
    return true;
}

std::optional<std::vector<TraceCall>> parseTrace(const QByteArray& text, QString* error) {
    std::vector<TraceCall> calls;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        std::optional<TraceCall> call;
        QString problem;
        if (!parseTraceLine(lines[i], call, &problem)) {
            if (error) *error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
            return std::nullopt;
        }
        if (call && !calls.empty() && call->t < calls.back().t) {
            if (error) {
                *error = QStringLiteral("line %1: time goes back (the trace must be in time order)")
                             .arg(i + 1);
            }
            return std::nullopt;
        }
        if (call) {
            call->line = i + 1;
            calls.push_back(std::move(*call));
        }
    }
    return calls;
}

// ---- Virtual time ------------------------------------------------------------------------------

struct VirtualTime::Timer final : OneShotTimer {
    TimePoint due = 0;
    std::function<void()> action;
    bool valid = true;
    void invalidate() override { valid = false; }
};

std::function<TimePoint()> VirtualTime::clock() {
    return [this] { return current_; };
}

SignalEngine::TimerFactory VirtualTime::timers() {
    return [this](double seconds, std::function<void()> action) {
        std::erase_if(pending_, [](const auto& timer) { return !timer->valid; });
        auto timer = std::make_shared<Timer>();
        timer->due = current_ + seconds;
        timer->action = std::move(action);
        pending_.push_back(timer);
        return std::shared_ptr<OneShotTimer>(timer);
    };
}

std::optional<TimePoint> VirtualTime::nextDue() const {
    std::optional<TimePoint> earliest;
    for (const auto& timer : pending_) {
        if (timer->valid && (!earliest || timer->due < *earliest)) earliest = timer->due;
    }
    return earliest;
}

void VirtualTime::advanceTo(TimePoint t) {
    while (true) {
        const auto next = std::min_element(
            pending_.begin(), pending_.end(), [](const auto& a, const auto& b) {
                if (a->valid != b->valid) return a->valid;  // valid timers first
                return a->due < b->due;
            });
        if (next == pending_.end() || !(*next)->valid || (*next)->due > t) break;
        const std::shared_ptr<Timer> timer = *next;
        timer->valid = false;
        current_ = std::max(current_, timer->due);
        timer->action();
    }
    std::erase_if(pending_, [](const auto& timer) { return !timer->valid; });
    current_ = t;
}

// ---- Deferred rule classifier ------------------------------------------------------------------

SignalEngine::ClassifyFunction DeferredRuleClassifier::function() {
    return [this](const QString& text, const CategoryList& labels,
                  const std::optional<QString>& rule, bool useLanguageModel,
                  SignalEngine::ClassifyDone done) {
        requests.push_back(Request{text, labels, rule, useLanguageModel});
        pending_.push_back([answer = SignalEngine::ruleOnly(rule), done = std::move(done)] {
            done(answer);
        });
    };
}

int DeferredRuleClassifier::drain() {
    int delivered = 0;
    while (!pending_.empty()) {
        auto batch = std::move(pending_);
        pending_.clear();
        for (auto& answer : batch) answer();
        delivered += int(batch.size());
    }
    return delivered;
}

// ---- Replayer ----------------------------------------------------------------------------------

TraceReplayer::TraceReplayer(Options options, std::function<void(const Signal&)> sink)
    : options_(std::move(options)), sink_(std::move(sink)) {}

TraceReplayer::~TraceReplayer() = default;

void TraceReplayer::ensureEngine(TimePoint t) {
    if (engine_) return;
    time_.advanceTo(t);
    engine_ = std::make_unique<SignalEngine>(time_.clock());
    engine_->makeTimer = time_.timers();
    const DeploymentConfig config = options_.config;
    engine_->configProvider = [config] { return config; };
    engine_->sink = sink_;
    engine_->events = &events_;
    if (options_.user) engine_->userPrincipal = *options_.user;
    if (options_.classifier == ClassifierMode::rules) {
        engine_->classify = rules_.function();
    } else {
        engine_->classify = [inFlight = inFlight_](const QString& text, const CategoryList& labels,
                                                   const std::optional<QString>& rule,
                                                   bool useLanguageModel,
                                                   SignalEngine::ClassifyDone done) {
            ++*inFlight;
            Classifier::shared().classify(
                text, labels, rule, useLanguageModel,
                [inFlight, done = std::move(done)](std::optional<Classification> answer) {
                    --*inFlight;
                    done(std::move(answer));
                });
        };
    }
}

bool TraceReplayer::apply(const TraceCall& call, QString* error) {
    if (engine_ && call.t < time_.current()) {
        if (error) {
            *error = QStringLiteral("time %1 is earlier than the line before (%2)")
                         .arg(call.t, 0, 'f', 3)
                         .arg(time_.current(), 0, 'f', 3);
        }
        return false;
    }
    ensureEngine(call.t);
    time_.advanceTo(call.t);
    invoke(call);
    settleClassifications();
    return true;
}

void TraceReplayer::invoke(const TraceCall& call) {
    SignalEngine& e = *engine_;
    switch (call.op) {
        case Op::start: e.start(); break;
        case Op::tick: e.tick(); break;
        case Op::flushAll: e.flushAll(call.text); break;
        case Op::appActivated: e.appActivated(call.bundleId, call.text); break;
        case Op::windowObserved: e.windowObserved(call.obs); break;
        case Op::snippetCaptured: e.snippetCaptured(call.text, call.obs); break;
        case Op::key: e.key(call.isBackspace, call.isPaste); break;
        case Op::click: e.click(); break;
        case Op::scroll: e.scroll(); break;
        case Op::copyDetected: e.copyDetected(call.text); break;
        case Op::idleStarted: e.idleStarted(call.since); break;
        case Op::idleEnded: e.idleEnded(); break;
        case Op::screenLocked: e.screenLocked(); break;
        case Op::screenUnlocked: e.screenUnlocked(); break;
    }
}

void TraceReplayer::settleClassifications() {
    rules_.drain();
    if (*inFlight_ == 0) return;
    // The full classifier answers through the event loop (the local model over HTTP); wait for
    // it so that the output order does not depend on timing. A minute is far beyond its timeouts.
    QElapsedTimer waited;
    waited.start();
    while (*inFlight_ > 0 && waited.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}
