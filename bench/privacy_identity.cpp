// The per-window identity work of the engine: title class, document identity and the "dh_"
// code for one browser window on a document site. Target: under 20 µs.
#include <benchmark/benchmark.h>

#include "privacy/privacy.h"

static void BM_WindowIdentity(benchmark::State& state) {
    const QString bundleId = QStringLiteral("com.google.Chrome");
    const QString title = QStringLiteral("Q3 Budget Forecast - Google Sheets");
    const std::optional<QString> url =
        QStringLiteral("https://docs.google.com/spreadsheets/d/1aBcD3fGhIjK/edit#gid=0");
    const QString salt = QStringLiteral("0123456789abcdef0123456789abcdef");
    for (auto _ : state) {
        const auto host = Privacy::host(url);
        const QString titleClass = Privacy::titleClass(bundleId, title, host, url, false);
        const auto document = Privacy::documentIdentity(std::nullopt, url, title, titleClass);
        benchmark::DoNotOptimize(Privacy::hash(document->identity, salt, Privacy::documentPrefix));
    }
}
BENCHMARK(BM_WindowIdentity)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);
