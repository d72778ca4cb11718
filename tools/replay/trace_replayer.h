// Replaying a trace through the signal engine on virtual time (the trace format is in
// trace_call.h).
//
// The engine's clock is the line's time. The typing timer is virtual: before a line is applied,
// every burst-end timer due at or before its time fires, at its due time. Classification answers
// arrive after the line that asked for them, before the next line.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "replay/deferred_rule_classifier.h"
#include "replay/trace_call.h"
#include "replay/virtual_time.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

namespace tarnwhistle {

class TraceReplayer {
  public:
    struct Options {
        DeploymentConfig config;
        std::optional<QString> user;  // the login name behind the subject code
        // The classifier; without one, the rule category answers (deterministic). Answers that
        // come through the event loop are waited for before the next call.
        SignalEngine::ClassifyFunction classify;
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

}  // namespace tarnwhistle
