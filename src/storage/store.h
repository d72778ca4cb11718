// The local SQLite database of the agent: every signal as soon as it is made, every batch built
// from signals with its delivery state, and a small key/value table. One connection, opened
// read-write/create in serialized mode, in WAL journal mode. Main thread only.
//
// Nothing here throws or ends the process. A failed statement is logged to the system log and
// the operation returns its empty result (no rows, 0, absent); with no connection held every
// operation returns the empty result without logging.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "signals/signal.h"
#include "signals/time.h"
#include "storage/batch_record.h"

struct sqlite3;
struct Bind;

class Store {
public:
    // The agent's store; opened by start-up with "store.sqlite" in the support folder.
    static Store& shared();
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens (creating if missing) the database at `path`, owner-only from the moment the file
    // and its -wal/-shm companions exist, and creates the schema. Does nothing when a
    // connection is already held. On failure (including a file that is not a database) logs
    // "Tarnwhistle: could not open store" and holds no connection.
    void open(const QString& path);
    // Closes the connection (at termination); there is no reopening afterwards.
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Stores a new, unbatched signal; a second signal with a stored id is ignored.
    void insert(const Signal& signal);
    // Up to `limit` unbatched signals, oldest first; rows whose JSON cannot be read as a signal
    // with its id are left out and do not count against the limit.
    std::vector<Signal> pendingSignals(qint64 limit);
    // All signals, newest first.
    std::vector<Signal> recentSignals(qint64 limit);

    // The next batch sequence number (1 for the first batch ever; never reused).
    qint64 nextSeq();
    // Stores a new batch and marks its signals, in one transaction. Returns how many signals
    // were marked; 0 means nothing was stored (the transaction was rolled back), so the
    // signals are still unbatched.
    qint64 saveBatch(const BatchRecord& batch, const QStringList& signalIds);
    // "pending" or "failed" batches whose next attempt is not after `now`, lowest seq first,
    // at most 20.
    std::vector<BatchRecord> dueBatches(TimePoint now);
    // All batches, newest first.
    std::vector<BatchRecord> recentBatches(qint64 limit);
    // Writes the delivery state (status, attempts, next attempt, last error, HTTP status,
    // sent time) of the batch with the record's id.
    void updateBatch(const BatchRecord& batch);
    // Retention: removes batched signals and finished batches older than `days` (at least 1),
    // and gives up ("dropped") batches that have waited for delivery more than 7 days.
    void purge(qint64 days);

    std::optional<QString> metaValue(const QString& key);
    void setMetaValue(const QString& value, const QString& key);
    qint64 countSignals(TimePoint since);
    qint64 countUnbatchedSignals();
    qint64 countWaitingBatches();
    // Every "local" batch becomes "pending" for `destination`, due at once.
    void releaseLocalBatches(const QString& destination);
    // Empties the signal and batch tables; meta (sequence numbers, last success) stays.
    void deleteAll();

    // The column list of every query that reads whole batch rows.
    static const char* const batchCols;

    // The clock for row times and retention; replaceable in tests.
    std::function<TimePoint()> now = Time::now;

private:
    bool exec(const char* sql);
    qint64 count(const char* sql, const std::vector<Bind>& binds);
    std::vector<Signal> signalsFrom(const char* sql, qint64 limit, qint64* rows = nullptr);
    std::vector<BatchRecord> batchesFrom(const QByteArray& sql, const std::vector<Bind>& binds);

    sqlite3* db_ = nullptr;
};
