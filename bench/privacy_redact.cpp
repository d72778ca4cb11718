// Redaction of a realistic window text sample (~1500 characters: an e-mail with names, phone
// numbers, an IBAN, an address and plenty of ordinary text). Target: median under 1 ms.
#include <QFile>
#include <benchmark/benchmark.h>

#include "privacy/privacy.h"

static QString sample() {
    QFile file(QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/privacy/window_text_sample.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

static void BM_RedactWindowText(benchmark::State& state) {
    const QString text = sample();
    if (text.isEmpty()) {
        state.SkipWithError("window_text_sample.txt not found");
        return;
    }
    benchmark::DoNotOptimize(Privacy::redact(text));  // tables, patterns and names load once
    for (auto _ : state) benchmark::DoNotOptimize(Privacy::redact(text));
    state.counters["chars"] = double(text.size());
}
BENCHMARK(BM_RedactWindowText)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

static void BM_RedactWindowTitle(benchmark::State& state) {
    const QString title = QStringLiteral("Re: Contract renewal for Anna Schmidt (OPS-2291) - Mail");
    for (auto _ : state) benchmark::DoNotOptimize(Privacy::redact(title));
}
BENCHMARK(BM_RedactWindowTitle)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);
