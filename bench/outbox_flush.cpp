// Batch building speed: one flush of 500 waiting signals into one batch, including reading
// them back, the body encoding and the transaction that stores the batch and marks them.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace {

// 500 unbatched signals in one transaction, so that setting up stays cheap.
void addWaitingSignals(const QString& path, TimePoint t) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO signals(id,type,created,json) VALUES(?,'app.focus',?,?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < 500; ++i) {
        const Signal s{ULID::make(t + i * 0.001), QStringLiteral("app.focus"), 1,
                       JSONObject{{QStringLiteral("app"), "Text Editor"},
                                  {QStringLiteral("duration_s"), qint64(i)},
                                  {QStringLiteral("ratio"), 0.25 + i / 1000.0},
                                  {QStringLiteral("url"), "https://example.org/a/b"}}};
        const QByteArray id = s.id.toUtf8(), json = s.jsonString().toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 2, t + i * 0.001);
        sqlite3_bind_text(insert, 3, json.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_FlushOf500Signals(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    Store store;
    store.open(path);
    ConfigStore config(dir.path());
    config.load();  // no webhook: the batch is kept locally, nothing is sent
    Outbox outbox(store, config);
    TimePoint t = Time::now();
    for (auto _ : state) {
        state.PauseTiming();
        addWaitingSignals(path, t += 1);
        state.ResumeTiming();
        outbox.flush();
    }
    state.counters["batches"] = double(store.recentBatches(1'000'000).size());
}
BENCHMARK(BM_FlushOf500Signals)->Unit(benchmark::kMillisecond);

}  // namespace
