// The local SQLite database of the agent: every signal as soon as it is made, every batch built
// from signals with its delivery state, and a small key/value table. One connection, opened
// read-write/create in serialized mode, in WAL journal mode. Main thread only.
//
// Nothing here throws or ends the process. A failed statement is logged to the system log and
// the operation returns its empty result (no rows, 0, absent, false); with no connection held
// every operation returns the empty result without logging. Writes report whether they were
// recorded, so a caller never takes a lost signal or an unrecorded delivery for a stored one.
//
// Deleted rows leave no copies behind: secure_delete zeroes freed content, and deleteAll and
// purge truncate the write-ahead log once its frames are back in the database file.
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

namespace tarnwhistle {

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
    // and its -wal/-shm companions exist, and creates the schema. Does nothing (true) when a
    // connection is already held. On failure (including a file that is not a database) logs
    // "Tarnwhistle: could not open store", holds no connection and returns false.
    bool open(const QString& path);
    // Closes the connection (at termination); there is no reopening afterwards.
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Stores a new, unbatched signal; a second signal with a stored id is ignored. True when
    // the signal is in the table afterwards.
    bool insert(const Signal& signal);
    // Up to `limit` unbatched signals, oldest first; rows whose JSON cannot be read as a signal
    // with its id are left out and do not count against the limit.
    std::vector<Signal> pendingSignals(qint64 limit);
    // All signals, newest first.
    std::vector<Signal> recentSignals(qint64 limit);

    // The next batch sequence number (1 for the first batch ever; never reused), read and
    // written in one write transaction so that two connections never hand out the same one.
    qint64 nextSeq();
    // Stores a new batch and marks its signals, in one transaction that also records the
    // batch's seq as handed out. Returns how many signals were marked; 0 means nothing was
    // stored (the transaction was rolled back), so the signals are still unbatched. A batch
    // whose id is already stored is never replaced.
    qint64 saveBatch(const BatchRecord& batch, const QStringList& signalIds);
    // "pending" or "failed" batches whose next attempt is not after `now`, lowest seq first,
    // at most 20.
    std::vector<BatchRecord> dueBatches(TimePoint now);
    // All batches, newest first.
    std::vector<BatchRecord> recentBatches(qint64 limit);
    // Writes the delivery state (status, attempts, next attempt, last error, HTTP status,
    // sent time) of the batch with the record's id. A "sent" batch never changes again and a
    // "dropped" one only to "sent" (a reply that arrived after it was given up). True when the
    // row was written.
    bool updateBatch(const BatchRecord& batch);
    // Retention: removes batched signals and finished batches older than `days` (at least 1),
    // and gives up ("dropped") batches that have waited for delivery more than 7 days. True
    // when every step ran and the write-ahead log was emptied.
    bool purge(qint64 days);

    std::optional<QString> metaValue(const QString& key);
    bool setMetaValue(const QString& value, const QString& key);
    qint64 countSignals(TimePoint since);
    qint64 countUnbatchedSignals();
    qint64 countWaitingBatches();
    // Every "local" batch becomes "pending" for `destination`, due at once.
    bool releaseLocalBatches(const QString& destination);
    // Empties the signal and batch tables and leaves none of their text in the database file
    // or its -wal; meta (sequence numbers, last success) stays. False when any step failed.
    bool deleteAll();

    // The clock for row times and retention; replaceable in tests.
    std::function<TimePoint()> now = Time::now;

    // How long a statement waits for another connection's lock (the tool, a backup).
    static constexpr int busyTimeoutMs = 5000;

private:
    bool exec(const char* sql);
    bool checkpointTruncate();
    qint64 storedSeq();
    bool storeSeq(qint64 seq);
    void rollbackIfOpen();
    qint64 count(const char* sql, const std::vector<Bind>& binds);
    std::vector<Signal> signalsFrom(const char* sql, qint64 limit, qint64* rows = nullptr);
    std::vector<BatchRecord> batchesFrom(const QByteArray& sql, const std::vector<Bind>& binds);

    sqlite3* db_ = nullptr;
};

}  // namespace tarnwhistle
