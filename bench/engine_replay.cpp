// Replaying the generated 8-hour working day through the signal engine (virtual time, no-op
// sink, rule-only classification): engine calls per second. Second run: every window
// observation is made distinct, so each one goes through the privacy functions (title class,
// document identity, redaction, coded identifiers, rule category) instead of being recognised
// as unchanged.
#include <benchmark/benchmark.h>

#include "replay/trace_replayer.h"
#include "replay/workday_trace.h"

namespace {

const std::vector<TraceCall>& workday() {
    static const std::vector<TraceCall> calls =
        parseTrace(generateWorkdayTrace(1), nullptr).value_or(std::vector<TraceCall>{});
    return calls;
}

const std::vector<TraceCall>& workdayWithEveryWindowNew() {
    static const std::vector<TraceCall> calls = [] {
        std::vector<TraceCall> out = workday();
        int poll = 0;
        for (TraceCall& call : out) {
            if (call.op == TraceCall::Op::windowObserved) {
                call.obs.title += QStringLiteral(" (%1)").arg(++poll);
            }
        }
        return out;
    }();
    return calls;
}

void replay(benchmark::State& state, const std::vector<TraceCall>& calls) {
    DeploymentConfig config;
    config.salt = QStringLiteral("0123456789abcdef0123456789abcdef");
    std::size_t emittedCount = 0;
    for (auto _ : state) {
        TraceReplayer replayer({config, std::nullopt, {}},
                               [&emittedCount](const Signal&) { ++emittedCount; });
        for (const TraceCall& call : calls) replayer.apply(call);
    }
    const double iterations = double(state.iterations());
    state.counters["calls_per_replay"] = double(calls.size());
    state.counters["signals_per_replay"] = double(emittedCount) / iterations;
    state.counters["engine_calls_per_s"] =
        benchmark::Counter(double(calls.size()) * iterations, benchmark::Counter::kIsRate);
}

void BM_ReplayWorkday(benchmark::State& state) { replay(state, workday()); }
void BM_ReplayWorkdayPrivacyOnEveryObservation(benchmark::State& state) {
    replay(state, workdayWithEveryWindowNew());
}

}  // namespace

BENCHMARK(BM_ReplayWorkday)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayWorkdayPrivacyOnEveryObservation)->Unit(benchmark::kMillisecond);
