// The agent's dynamic JSON value: a tagged union of seven cases with value semantics.
// Reading: whole numbers that fit 64 bits are `int` (3, 3.0 and 3e0 alike), other numbers
// `double`. Writing: doubles are rounded to 3 decimals (halves away from zero); a non-finite
// double makes the whole encoding fail. Object members are always written in sorted order.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <variant>
#include <vector>

namespace tarnwhistle {

class JSONValue;
using JSONArray = std::vector<JSONValue>;
using JSONObject = std::map<QString, JSONValue>;

class JSONValue {
public:
    enum class Case { string, int_, double_, bool_, array, object, null };

    JSONValue() : value_(std::monostate{}) {}
    JSONValue(const QString& s) : value_(s) {}
    JSONValue(const char* s) : value_(QString::fromUtf8(s)) {}
    JSONValue(qint64 i) : value_(i) {}
    JSONValue(int i) : value_(qint64(i)) {}
    JSONValue(double d) : value_(d) {}
    JSONValue(bool b) : value_(b) {}
    JSONValue(JSONArray a) : value_(std::move(a)) {}
    JSONValue(JSONObject o) : value_(std::move(o)) {}
    static JSONValue null() { return JSONValue(); }
    // The JSON null when the optional is empty.
    static JSONValue orNull(const std::optional<QString>& s) { return s ? JSONValue(*s) : null(); }
    static JSONValue orNull(const std::optional<double>& d) { return d ? JSONValue(*d) : null(); }

    Case kind() const { return static_cast<Case>(value_.index()); }
    bool isNull() const { return kind() == Case::null; }

    // Matching on a case: a pointer to the payload when the value is of that case.
    const QString* string() const { return std::get_if<QString>(&value_); }
    const qint64* integer() const { return std::get_if<qint64>(&value_); }
    const double* number() const { return std::get_if<double>(&value_); }
    const bool* boolean() const { return std::get_if<bool>(&value_); }
    const JSONArray* array() const { return std::get_if<JSONArray>(&value_); }
    const JSONObject* object() const { return std::get_if<JSONObject>(&value_); }
    JSONArray* array() { return std::get_if<JSONArray>(&value_); }
    JSONObject* object() { return std::get_if<JSONObject>(&value_); }

    bool operator==(const JSONValue& other) const = default;

    // Parses one JSON text (any top-level value). On malformed text: nullopt and `error` set.
    static std::optional<JSONValue> parse(const QByteArray& text, QString* error = nullptr);

    enum class Slashes { plain, escaped };
    // Compact JSON text of this value with sorted keys; nullopt when it cannot be written.
    std::optional<QByteArray> serialized(Slashes slashes = Slashes::plain) const;

    // round(x * 1000) / 1000 with halves away from zero, in double precision, in that order.
    static double roundedForWriting(double x);

private:
    std::variant<QString, qint64, double, bool, JSONArray, JSONObject, std::monostate> value_;
};

}  // namespace tarnwhistle
