// Running one SQL statement on the store's connection: prepare from the text, bind by position,
// step through the rows, finalise. Nothing is cached between calls. Private to the store.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tarnwhistle {

// A value for one statement parameter; an absent payload binds SQL NULL.
struct Bind {
    enum class Kind { text, int_, real };
    Kind kind;
    std::optional<QString> text;
    std::optional<qint64> integer;
    std::optional<double> real;

    static Bind Text(std::optional<QString> value) { return {Kind::text, std::move(value), {}, {}}; }
    static Bind Int(std::optional<qint64> value) { return {Kind::int_, {}, value, {}}; }
    static Bind Real(std::optional<double> value) { return {Kind::real, {}, {}, value}; }
};

namespace Statement {
// Runs `sql` with `binds` on `db`, calling `row` for every result row. Returns true when the
// statement ran to completion. A prepare failure is logged as "Tarnwhistle prepare failed: %s",
// a step that ends in an error (a constraint, a full disk) as "Tarnwhistle SQL error: %s".
// With no connection it does nothing, logs nothing and returns false.
bool run(sqlite3* db, const char* sql, const std::vector<Bind>& binds = {},
         const std::function<void(sqlite3_stmt*)>& row = {});

// Column readers that map NULL to the given fallback.
QString text(sqlite3_stmt* statement, int column);
std::optional<QString> optionalText(sqlite3_stmt* statement, int column);
std::optional<qint64> optionalInt(sqlite3_stmt* statement, int column);
std::optional<double> optionalReal(sqlite3_stmt* statement, int column);
}  // namespace Statement

}  // namespace tarnwhistle
