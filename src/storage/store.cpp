#include "storage/store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QRegularExpression>
#include <algorithm>

#include "storage/statement.h"
#include "storage/system_log.h"

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

// Signals are private: the database and the -wal/-shm files SQLite creates next to it must
// never be readable by others, not even for the moment between creation and a chmod.
class OwnerOnlyFiles {
public:
    OwnerOnlyFiles() : previous_(::umask(077)) {}
    ~OwnerOnlyFiles() { ::umask(previous_); }

private:
    mode_t previous_;
};

// An optional leading sign and decimal digits within 64 bits; anything else reads as 0.
qint64 parseSeq(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(text).hasMatch()) return 0;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? value : 0;
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
    b.status = Statement::text(row, 4);
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

}  // namespace

const char* const Store::batchCols =
    "batch_id,seq,created,body,status,attempts,next_attempt,last_error,http_status,"
    "signal_count,types,destination,sent_at";

Store& Store::shared() {
    static Store* instance = new Store();
    return *instance;
}

Store::~Store() { close(); }

void Store::open(const QString& path) {
    if (db_) return;
    OwnerOnlyFiles ownerOnly;
    const QByteArray file = path.toUtf8();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    // A store that could not be opened, or holds no usable schema (a file that is not a
    // database), must not look open: every operation then gives its empty result.
    auto fail = [this] {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        SystemLog::write(QStringLiteral("Tarnwhistle: could not open store"));
    };
    if (sqlite3_open_v2(file.constData(), &db_, flags, nullptr) != SQLITE_OK) return fail();
    ::chmod(file.constData(), 0600);  // an existing file from an older build may be wider
    exec("PRAGMA journal_mode=WAL;");
    // In WAL mode NORMAL keeps the database consistent through any crash and loses nothing
    // when the process dies; only a power cut can cost the last few commits. It spares one
    // disk flush per signal.
    exec("PRAGMA synchronous=NORMAL;");
    if (!exec(kSchema)) fail();
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

void Store::insert(const Signal& signal) {
    Statement::run(db_,
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

qint64 Store::nextSeq() {
    qint64 current = 0;
    Statement::run(db_, "SELECT value FROM meta WHERE key='seq'", {}, [&](sqlite3_stmt* row) {
        current = parseSeq(Statement::optionalText(row, 0).value_or(QStringLiteral("0")));
    });
    const qint64 next = qint64(quint64(current) + 1);
    Statement::run(db_, "INSERT OR REPLACE INTO meta(key,value) VALUES('seq',?)",
                   {Bind::Text(QString::number(next))});
    return next;
}

qint64 Store::saveBatch(const BatchRecord& b, const QStringList& signalIds) {
    // Without a transaction the batch row could be stored while its signals stay unbatched.
    if (!db_ || !exec("BEGIN")) return 0;
    const bool stored = Statement::run(
        db_,
        "INSERT OR REPLACE INTO batches(batch_id,seq,created,body,status,attempts,next_attempt,"
        "last_error,http_status,signal_count,types,destination,sent_at)\n"
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {Bind::Text(b.batchId), Bind::Int(b.seq), Bind::Real(b.created), Bind::Text(b.body),
         Bind::Text(b.status), Bind::Int(b.attempts), Bind::Real(b.nextAttempt),
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
    if (marked && count > 0 && exec("COMMIT")) return count;
    if (sqlite3_get_autocommit(db_) == 0) exec("ROLLBACK");
    return 0;
}

std::vector<BatchRecord> Store::batchesFrom(const QByteArray& sql, const std::vector<Bind>& binds) {
    std::vector<BatchRecord> out;
    Statement::run(db_, sql.constData(), binds,
                   [&](sqlite3_stmt* row) { out.push_back(batchFromRow(row)); });
    return out;
}

std::vector<BatchRecord> Store::dueBatches(TimePoint now) {
    return batchesFrom(QByteArray("SELECT ") + batchCols +
                           " FROM batches WHERE status IN ('pending','failed') AND "
                           "next_attempt <= ? ORDER BY seq LIMIT 20",
                       {Bind::Real(now)});
}

std::vector<BatchRecord> Store::recentBatches(qint64 limit) {
    return batchesFrom(QByteArray("SELECT ") + batchCols +
                           " FROM batches ORDER BY created DESC LIMIT ?",
                       {Bind::Int(limit)});
}

void Store::updateBatch(const BatchRecord& b) {
    Statement::run(db_,
                   "UPDATE batches SET status=?,attempts=?,next_attempt=?,last_error=?,"
                   "http_status=?,sent_at=? WHERE batch_id=?",
                   {Bind::Text(b.status), Bind::Int(b.attempts), Bind::Real(b.nextAttempt),
                    Bind::Text(b.lastError), Bind::Int(b.httpStatus), Bind::Real(b.sentAt),
                    Bind::Text(b.batchId)});
}

void Store::purge(qint64 days) {
    const TimePoint t = now();
    const double cutoff = t - double(std::max<qint64>(days, 1)) * kDay;
    Statement::run(db_, "DELETE FROM signals WHERE created < ? AND batch_id IS NOT NULL",
                   {Bind::Real(cutoff)});
    Statement::run(db_,
                   "DELETE FROM batches WHERE created < ? AND status NOT IN ('pending','failed')",
                   {Bind::Real(cutoff)});
    Statement::run(db_,
                   "UPDATE batches SET status='dropped' WHERE created < ? AND status IN "
                   "('pending','failed')",
                   {Bind::Real(t - kDropAfter)});
}

std::optional<QString> Store::metaValue(const QString& key) {
    std::optional<QString> value;
    Statement::run(db_, "SELECT value FROM meta WHERE key=?", {Bind::Text(key)},
                   [&](sqlite3_stmt* row) { value = Statement::optionalText(row, 0); });
    return value;
}

void Store::setMetaValue(const QString& value, const QString& key) {
    Statement::run(db_, "INSERT OR REPLACE INTO meta(key,value) VALUES(?,?)",
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

void Store::releaseLocalBatches(const QString& destination) {
    Statement::run(db_,
                   "UPDATE batches SET status='pending', destination=?, next_attempt=0, "
                   "last_error=NULL WHERE status='local'",
                   {Bind::Text(destination)});
}

void Store::deleteAll() {
    exec("DELETE FROM signals; DELETE FROM batches;");
    exec("VACUUM;");
}
