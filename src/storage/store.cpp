#include "storage/store.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/system_calls.h"
#include "base/system_log.h"
#include "storage/statement.h"

namespace tarnwhistle {

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS signals(\n"
    "id TEXT PRIMARY KEY, type TEXT NOT NULL, created REAL NOT NULL, json TEXT NOT NULL, "
    "batch_id TEXT);\n"
    "CREATE INDEX IF NOT EXISTS signals_pending ON signals(batch_id, created);\n"
    // The status counts today's signals every 3 s: without this, a scan of every stored day.
    "CREATE INDEX IF NOT EXISTS signals_created ON signals(created);\n"
    "CREATE TABLE IF NOT EXISTS batches(\n"
    "batch_id TEXT PRIMARY KEY, seq INTEGER, created REAL, body TEXT, status TEXT, attempts "
    "INTEGER,\n"
    "next_attempt REAL, last_error TEXT, http_status INTEGER, signal_count INTEGER, types TEXT,\n"
    "destination TEXT, sent_at REAL);\n"
    "CREATE INDEX IF NOT EXISTS batches_due ON batches(status, next_attempt);\n"
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT);";

constexpr double kDay = 86400;
constexpr double kDropAfter = 7 * kDay;

// An optional leading sign and decimal digits within 64 bits, nothing else (no spaces, no
// line break); anything else reads as 0.
qint64 parseSeq(const QString& text) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) ++i;
    if (i == text.size()) return 0;
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return 0;
        const quint64 digit = c - u'0';
        if (magnitude > (limit - digit) / 10) return 0;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? qint64(0 - magnitude) : qint64(magnitude);
}

// A stored signal, or nullopt when the text is not a signal object with its id. (A signal whose
// fields could not be written is stored as "{}"; reading it would invent a new id, and the
// batch built from it could never mark the row.)
std::optional<Signal> readableSignal(const QByteArray& json) {
    const auto value = JSONValue::parse(json);
    const JSONObject* object = value ? value->object() : nullptr;
    if (!object) return std::nullopt;
    const auto id = object->find(QStringLiteral("id"));
    if (id == object->end() || !id->second.string()) return std::nullopt;
    return Signal::decode(*value);
}

BatchRecord batchFromRow(sqlite3_stmt* row) {
    BatchRecord b;
    b.batchId = Statement::text(row, 0);
    b.seq = Statement::optionalInt(row, 1).value_or(0);
    b.created = Statement::optionalReal(row, 2).value_or(0);
    b.body = Statement::text(row, 3);
    // A status this build does not know is neither due nor kept: it ages out like a dropped one.
    b.status = batchStatusFromRawValue(Statement::text(row, 4)).value_or(BatchStatus::dropped);
    b.attempts = Statement::optionalInt(row, 5).value_or(0);
    b.nextAttempt = Statement::optionalReal(row, 6).value_or(0);
    b.lastError = Statement::optionalText(row, 7);
    b.httpStatus = Statement::optionalInt(row, 8);
    b.signalCount = Statement::optionalInt(row, 9).value_or(0);
    b.types = Statement::text(row, 10);
    b.destination = Statement::text(row, 11);
    b.sentAt = Statement::optionalReal(row, 12);
    return b;
}

constexpr const char* kBatchStatusRawValues[] = {"local", "pending", "failed", "sent", "dropped"};

// The column list of every query that reads whole batch rows, in batchFromRow's order.
const char* const kBatchColumns =
    "batch_id,seq,created,body,status,attempts,next_attempt,last_error,http_status,"
    "signal_count,types,destination,sent_at";

}  // namespace

QString rawValue(BatchStatus status) {
    return QString::fromLatin1(kBatchStatusRawValues[int(status)]);
}

std::optional<BatchStatus> batchStatusFromRawValue(const QString& raw) {
    for (int i = 0; i <= int(BatchStatus::dropped); ++i)
        if (raw == QLatin1String(kBatchStatusRawValues[i])) return BatchStatus(i);
    return std::nullopt;
}

Store& Store::shared() {
    static Store* instance = new Store();
    return *instance;
}

Store::~Store() { close(); }

bool Store::open(const QString& path) {
    if (db_) return true;
    // Signals are private: the database and the -wal/-shm files SQLite creates next to it must
    // never be readable by others, not even for the moment between creation and a chmod.
    SystemCalls::OwnerOnlyCreation ownerOnly;
    const QByteArray file = path.toUtf8();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(file.constData(), &db_, flags, nullptr) == SQLITE_OK) {
        SystemCalls::setMode(path, 0600);  // an existing file from an older build may be wider
        // Another process holding the lock (the tool, a backup) makes writes wait, not fail.
        sqlite3_busy_timeout(db_, busyTimeoutMs);
        // A file that is not a database opens fine and fails only here, so the schema decides.
        // synchronous stays FULL: every committed signal survives a crash or a power cut.
        if (exec("PRAGMA journal_mode=WAL;") && exec("PRAGMA secure_delete=ON;") && exec(kSchema))
            return true;
    }
    SystemLog::write(QStringLiteral("Tarnwhistle: could not open store"));
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return false;
}

void Store::close() {
    if (!db_) return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool Store::exec(const char* sql) {
    if (!db_) return false;
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    SystemLog::write(QStringLiteral("Tarnwhistle SQL error: ") +
                     QString::fromUtf8(message ? message : sqlite3_errmsg(db_)));
    sqlite3_free(message);
    return false;
}

bool Store::checkpointTruncate() {
    if (!db_) return false;
    // Copies every frame into the database file and cuts the -wal to nothing, so deleted rows
    // do not live on in old frames. Waits (busy timeout) for readers of other connections.
    if (sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) ==
        SQLITE_OK)
        return true;
    SystemLog::write(QStringLiteral("Tarnwhistle SQL error: ") +
                     QString::fromUtf8(sqlite3_errmsg(db_)));
    return false;
}

bool Store::insert(const Signal& signal) {
    return Statement::run(db_,
                   "INSERT OR IGNORE INTO signals(id,type,created,json,batch_id) "
                   "VALUES(?,?,?,?,NULL)",
                   {Bind::Text(signal.id), Bind::Text(signal.type), Bind::Real(now()),
                    Bind::Text(signal.jsonString())});
}

std::vector<Signal> Store::signalsFrom(const char* sql, qint64 limit, qint64* rows) {
    std::vector<Signal> out;
    Statement::run(db_, sql, {Bind::Int(limit)}, [&](sqlite3_stmt* row) {
        if (rows) ++*rows;
        if (auto signal = readableSignal(Statement::text(row, 0).toUtf8()))
            out.push_back(std::move(*signal));
    });
    return out;
}

std::vector<Signal> Store::pendingSignals(qint64 limit) {
    // Unreadable rows stay unbatched for good. They must not take the places of readable ones,
    // or with as many of them as the limit every flush would find nothing, forever.
    qint64 rows = limit;
    for (;;) {
        qint64 seen = 0;
        auto out = signalsFrom(
            "SELECT json FROM signals WHERE batch_id IS NULL ORDER BY created LIMIT ?", rows, &seen);
        if (qint64(out.size()) >= limit || seen < rows) return out;
        rows = limit + (seen - qint64(out.size()));
    }
}

std::vector<Signal> Store::recentSignals(qint64 limit) {
    return signalsFrom("SELECT json FROM signals ORDER BY created DESC LIMIT ?", limit);
}

qint64 Store::storedSeq() {
    qint64 current = 0;
    Statement::run(db_, "SELECT value FROM meta WHERE key='seq'", {}, [&](sqlite3_stmt* row) {
        current = parseSeq(Statement::optionalText(row, 0).value_or(QStringLiteral("0")));
    });
    return current;
}

bool Store::storeSeq(qint64 seq) {
    return Statement::run(db_, "INSERT OR REPLACE INTO meta(key,value) VALUES('seq',?)",
                          {Bind::Text(QString::number(seq))});
}

void Store::rollbackIfOpen() {
    if (db_ && sqlite3_get_autocommit(db_) == 0) exec("ROLLBACK");
}

qint64 Store::nextSeq() {
    // Read and write under one write lock: another connection cannot take the same number.
    const bool began = exec("BEGIN IMMEDIATE");
    const qint64 next = qint64(quint64(storedSeq()) + 1);
    if (!(began && storeSeq(next) && exec("COMMIT"))) rollbackIfOpen();
    return next;
}

qint64 Store::saveBatch(const BatchRecord& b, const QStringList& signalIds) {
    // Without a transaction the batch row could be stored while its signals stay unbatched.
    if (!db_ || !exec("BEGIN IMMEDIATE")) return 0;
    // A plain INSERT: an id that is already stored fails the batch instead of replacing the
    // delivered (or waiting) one under it.
    const bool stored = Statement::run(
        db_,
        "INSERT INTO batches(batch_id,seq,created,body,status,attempts,next_attempt,"
        "last_error,http_status,signal_count,types,destination,sent_at)\n"
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {Bind::Text(b.batchId), Bind::Int(b.seq), Bind::Real(b.created), Bind::Text(b.body),
         Bind::Text(rawValue(b.status)), Bind::Int(b.attempts), Bind::Real(b.nextAttempt),
         Bind::Text(b.lastError), Bind::Int(b.httpStatus), Bind::Int(b.signalCount),
         Bind::Text(b.types), Bind::Text(b.destination), Bind::Real(b.sentAt)});
    // Signals must never point at a batch that was not stored, and a stored batch must hold
    // exactly the signals it marked; so any failure undoes the whole batch.
    bool marked = stored;
    qint64 count = 0;
    for (const QString& id : signalIds) {
        if (!stored) break;
        const bool ok = Statement::run(db_, "UPDATE signals SET batch_id=? WHERE id=?",
                                       {Bind::Text(b.batchId), Bind::Text(id)});
        if (ok) count += sqlite3_changes(db_);
        marked = marked && ok;
    }
    // The batch's number is on record in the same commit, whatever happened to nextSeq's own
    // write, so it is never handed out again.
    const bool numbered = marked && (b.seq <= storedSeq() || storeSeq(b.seq));
    if (numbered && count > 0 && exec("COMMIT")) return count;
    rollbackIfOpen();
    return 0;
}

std::vector<BatchRecord> Store::batchesFrom(const QByteArray& sql, const std::vector<Bind>& binds) {
    std::vector<BatchRecord> out;
    Statement::run(db_, sql.constData(), binds,
                   [&](sqlite3_stmt* row) { out.push_back(batchFromRow(row)); });
    return out;
}

std::vector<BatchRecord> Store::dueBatches(TimePoint now) {
    return batchesFrom(QByteArray("SELECT ") + kBatchColumns +
                           " FROM batches WHERE status IN ('pending','failed') AND "
                           "next_attempt <= ? ORDER BY seq LIMIT 20",
                       {Bind::Real(now)});
}

std::vector<BatchRecord> Store::recentBatches(qint64 limit) {
    return batchesFrom(QByteArray("SELECT ") + kBatchColumns +
                           " FROM batches ORDER BY created DESC LIMIT ?",
                       {Bind::Int(limit)});
}

bool Store::updateBatch(const BatchRecord& b) {
    // A delivered batch stays delivered, and a dropped one is not retried again; only a late
    // success may still be recorded for it.
    const bool ran = Statement::run(
        db_,
        "UPDATE batches SET status=?,attempts=?,next_attempt=?,last_error=?,"
        "http_status=?,sent_at=? WHERE batch_id=? AND status<>'sent' AND "
        "(status<>'dropped' OR ?='sent')",
        {Bind::Text(rawValue(b.status)), Bind::Int(b.attempts), Bind::Real(b.nextAttempt),
         Bind::Text(b.lastError), Bind::Int(b.httpStatus), Bind::Real(b.sentAt),
         Bind::Text(b.batchId), Bind::Text(rawValue(b.status))});
    return ran && sqlite3_changes(db_) > 0;
}

bool Store::purge(qint64 days) {
    const TimePoint t = now();
    const double cutoff = t - double(std::max<qint64>(days, 1)) * kDay;
    bool ok = Statement::run(db_, "DELETE FROM signals WHERE created < ? AND batch_id IS NOT NULL",
                             {Bind::Real(cutoff)});
    ok = Statement::run(db_,
                        "DELETE FROM batches WHERE created < ? AND status NOT IN "
                        "('pending','failed')",
                        {Bind::Real(cutoff)}) &&
         ok;
    ok = Statement::run(db_,
                        "UPDATE batches SET status='dropped' WHERE created < ? AND status IN "
                        "('pending','failed')",
                        {Bind::Real(t - kDropAfter)}) &&
         ok;
    return checkpointTruncate() && ok;
}

std::optional<QString> Store::metaValue(const QString& key) {
    std::optional<QString> value;
    Statement::run(db_, "SELECT value FROM meta WHERE key=?", {Bind::Text(key)},
                   [&](sqlite3_stmt* row) { value = Statement::optionalText(row, 0); });
    return value;
}

bool Store::setMetaValue(const QString& value, const QString& key) {
    return Statement::run(db_, "INSERT OR REPLACE INTO meta(key,value) VALUES(?,?)",
                   {Bind::Text(key), Bind::Text(value)});
}

qint64 Store::count(const char* sql, const std::vector<Bind>& binds) {
    qint64 n = 0;
    if (!Statement::run(db_, sql, binds,
                        [&](sqlite3_stmt* row) { n = Statement::optionalInt(row, 0).value_or(0); }))
        return 0;
    return n;
}

qint64 Store::countSignals(TimePoint since) {
    return count("SELECT COUNT(*) FROM signals WHERE created >= ?", {Bind::Real(since)});
}

qint64 Store::countUnbatchedSignals() {
    return count("SELECT COUNT(*) FROM signals WHERE batch_id IS NULL", {});
}

qint64 Store::countWaitingBatches() {
    return count("SELECT COUNT(*) FROM batches WHERE status IN ('pending','failed')", {});
}

bool Store::releaseLocalBatches(const QString& destination) {
    return Statement::run(db_,
                   "UPDATE batches SET status='pending', destination=?, next_attempt=0, "
                   "last_error=NULL WHERE status='local'",
                   {Bind::Text(destination)});
}

bool Store::deleteAll() {
    if (!db_) return false;
    bool ok = exec("BEGIN IMMEDIATE; DELETE FROM signals; DELETE FROM batches; COMMIT;");
    if (!ok) rollbackIfOpen();
    // secure_delete has zeroed the freed content; VACUUM drops the free pages and the
    // checkpoint puts the result into the file and empties the -wal, which still holds every
    // row as it was written.
    ok = exec("VACUUM;") && ok;
    return checkpointTruncate() && ok;
}

}  // namespace tarnwhistle
