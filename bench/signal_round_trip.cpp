// Encoding a typical app.focus signal to its stored text and reading it back: the work done
// for every signal the store writes and every batch the Activity Log shows.
#include <benchmark/benchmark.h>

#include "signals/signal.h"

static const Signal& typicalSignal() {
    static const Signal signal{"01JNM2Z3K4ABCDEFGHJKMNPQRS", "app.focus", 1,
                        {{"start", JSONValue("2025-03-04T09:02:10Z")},
                         {"end", JSONValue("2025-03-04T09:14:55Z")},
                         {"duration_s", JSONValue(765)},
                         {"bundle_id", JSONValue("com.microsoft.VSCode")},
                         {"app_name", JSONValue("Visual Studio Code")},
                         {"category", JSONValue("development")}}};
    return signal;
}

static void BM_AppFocusRoundTrip(benchmark::State& state) {
    const Signal& signal = typicalSignal();
    for (auto _ : state) {
        const QString text = signal.jsonString();
        auto back = Signal::fromJSON(text.toUtf8());
        benchmark::DoNotOptimize(back);
    }
    state.counters["ns_per_round_trip"] = benchmark::Counter(
        double(state.iterations()) * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppFocusRoundTrip);

static void BM_AppFocusEncode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(typicalSignal().jsonString());
}
BENCHMARK(BM_AppFocusEncode);

static void BM_AppFocusDecode(benchmark::State& state) {
    const QByteArray text = typicalSignal().jsonString().toUtf8();
    for (auto _ : state) benchmark::DoNotOptimize(Signal::fromJSON(text));
}
BENCHMARK(BM_AppFocusDecode);
