#include "replay/trace_replayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tarnwhistle {

namespace {
using Op = TraceCall::Op;
}

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
    if (!options_.classify) {
        engine_->classify = rules_.function();
        return;
    }
    engine_->classify = [inFlight = inFlight_, classify = options_.classify](
                            const QString& text, const CategoryList& labels,
                            const std::optional<QString>& rule, bool useLanguageModel,
                            SignalEngine::ClassifyDone done) {
        ++*inFlight;
        classify(text, labels, rule, useLanguageModel,
                 [inFlight, done = std::move(done)](std::optional<Classification> answer) {
                     --*inFlight;
                     done(std::move(answer));
                 });
    };
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
    SignalEngine& engine = *engine_;
    switch (call.op) {
        case Op::start:
            engine.start();
            break;
        case Op::tick:
            engine.tick();
            break;
        case Op::flushAll:
            engine.flushAll(call.text);
            break;
        case Op::appActivated:
            engine.appActivated(call.bundleId, call.text);
            break;
        case Op::windowObserved:
            engine.windowObserved(call.obs);
            break;
        case Op::snippetCaptured:
            engine.snippetCaptured(call.text, call.obs);
            break;
        case Op::key:
            engine.key(call.isBackspace, call.isPaste);
            break;
        case Op::click:
            engine.click();
            break;
        case Op::scroll:
            engine.scroll();
            break;
        case Op::copyDetected:
            engine.copyDetected(call.text);
            break;
        case Op::idleStarted:
            engine.idleStarted(call.since);
            break;
        case Op::idleEnded:
            engine.idleEnded();
            break;
        case Op::screenLocked:
            engine.screenLocked();
            break;
        case Op::screenUnlocked:
            engine.screenUnlocked();
            break;
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

}  // namespace tarnwhistle
