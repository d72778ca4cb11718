#include "storage/statement.h"

#include <sqlite3.h>

#include "base/system_log.h"

namespace tarnwhistle {

namespace {

QString errorMessage(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

void bind(sqlite3_stmt* statement, int index, const Bind& value) {
    switch (value.kind) {
    case Bind::Kind::text:
        if (!value.text) break;
        // Length -1: up to the terminating zero. SQLITE_TRANSIENT: SQLite copies at bind time.
        sqlite3_bind_text(statement, index, value.text->toUtf8().constData(), -1, SQLITE_TRANSIENT);
        return;
    case Bind::Kind::int_:
        if (!value.integer) break;
        sqlite3_bind_int64(statement, index, *value.integer);
        return;
    case Bind::Kind::real:
        if (!value.real) break;
        sqlite3_bind_double(statement, index, *value.real);
        return;
    }
    sqlite3_bind_null(statement, index);
}

}  // namespace

namespace Statement {

bool run(sqlite3* db, const char* sql, const std::vector<Bind>& binds,
         const std::function<void(sqlite3_stmt*)>& row) {
    if (!db) return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK || !statement) {
        SystemLog::write(QStringLiteral("Tarnwhistle prepare failed: ") + errorMessage(db));
        sqlite3_finalize(statement);
        return false;
    }
    for (size_t i = 0; i < binds.size(); ++i) bind(statement, int(i) + 1, binds[i]);
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        if (row) row(statement);
    }
    // A step that fails must not pass for success: the caller may rely on the write.
    const bool done = result == SQLITE_DONE;
    if (!done) SystemLog::write(QStringLiteral("Tarnwhistle SQL error: ") + errorMessage(db));
    sqlite3_finalize(statement);
    return done;
}

QString text(sqlite3_stmt* statement, int column) {
    return optionalText(statement, column).value_or(QString());
}

std::optional<QString> optionalText(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column));
}

std::optional<qint64> optionalInt(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

std::optional<double> optionalReal(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(statement, column);
}

}  // namespace Statement

}  // namespace tarnwhistle
