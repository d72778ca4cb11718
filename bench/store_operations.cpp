// Store speed: inserting one signal (the engine's sink, once per signal) and reading the due
// batches from a table of 10 000 (the retry timer, every 15 seconds).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include "signals/ulid.h"
#include "storage/store.h"

namespace {

Signal sampleSignal(TimePoint t) {
    return Signal{ULID::make(t), QStringLiteral("app.focus"), 1,
                  JSONObject{{QStringLiteral("app"), "Text Editor"},
                             {QStringLiteral("bundle_id"), "org.example.editor"},
                             {QStringLiteral("duration_s"), qint64(42)},
                             {QStringLiteral("start"), "2026-12-06T09:15:02Z"},
                             {QStringLiteral("end"), "2026-12-06T09:15:44Z"}}};
}

void BM_StoreInsert(benchmark::State& state) {
    QTemporaryDir dir;
    Store store;
    store.open(dir.filePath(QStringLiteral("store.sqlite")));
    TimePoint t = Time::now();
    for (auto _ : state) {
        t += 0.001;
        store.insert(sampleSignal(t));
    }
    state.SetLabel("one signal, committed (WAL)");
}
BENCHMARK(BM_StoreInsert)->Unit(benchmark::kMicrosecond);

void BM_DueBatchesOf10000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    Store store;
    store.open(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO batches(batch_id,seq,created,body,status,attempts,"
                       "next_attempt,signal_count,types,destination) VALUES(?,?,?,?,?,1,?,500,"
                       "'app.focus','https://example.org/hook')",
                       -1, &insert, nullptr);
    const QByteArray body(40'000, 'x');  // about what 500 signals take
    const char* statuses[] = {"sent", "failed", "pending", "sent", "local"};
    const TimePoint now = 1'733'500'000;
    for (int i = 1; i <= 10'000; ++i) {
        const QByteArray id = ULID::make(now - i).toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, i);
        sqlite3_bind_double(insert, 3, now - i);
        sqlite3_bind_text(insert, 4, body.constData(), int(body.size()), SQLITE_STATIC);
        // range 1: a long outage, 4 000 waiting; range 0: normal life, 50 waiting.
        const char* status = state.range(0) || i <= 50 ? statuses[i % 5] : "sent";
        sqlite3_bind_text(insert, 5, status, -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 6, i % 2 ? now - 10 : now + 600);  // half of them due
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    // As the automatic checkpoints keep it in normal use: the rows in the database file, not
    // in a 400 MB write-ahead log.
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    size_t rows = 0;
    for (auto _ : state) {
        auto due = store.dueBatches(now);
        rows = due.size();
        benchmark::DoNotOptimize(due);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_DueBatchesOf10000)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
