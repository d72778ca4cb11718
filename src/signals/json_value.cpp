#include "signals/json_value.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QVariant>
#include <cmath>

namespace {

// Qt keeps integers that fit 64 bits as integers and everything else as double; a double
// that is a whole number inside the 64-bit range is still an `int` here (3.0, 3e0).
JSONValue numberFromQt(const QJsonValue& value) {
    // toInteger() answers its default unless the number is a whole number that fits 64 bits
    // (exact for integers Qt kept, even beyond 2^53); two defaults tell the cases apart.
    const qint64 asInteger = value.toInteger(0);
    if (asInteger != 0 || value.toInteger(1) == 0) return JSONValue(asInteger);
    return JSONValue(value.toDouble());
}

}  // namespace

JSONValue JSONValue::fromQt(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            return JSONValue::null();
        case QJsonValue::Bool:
            return JSONValue(value.toBool());
        case QJsonValue::Double:
            return numberFromQt(value);
        case QJsonValue::String:
            return JSONValue(value.toString());
        case QJsonValue::Array: {
            const QJsonArray source = value.toArray();
            JSONArray out;
            out.reserve(source.size());
            for (const auto& element : source) out.push_back(fromQt(element));
            return JSONValue(std::move(out));
        }
        case QJsonValue::Object: {
            const QJsonObject source = value.toObject();
            JSONObject out;
            for (auto it = source.begin(); it != source.end(); ++it)
                out.emplace(it.key(), fromQt(it.value()));
            return JSONValue(std::move(out));
        }
    }
    return JSONValue::null();
}

double JSONValue::roundedForWriting(double x) { return std::round(x * 1000.0) / 1000.0; }

std::optional<QJsonValue> JSONValue::toQt() const {
    switch (kind()) {
        case Case::string:
            return QJsonValue(*string());
        case Case::int_:
            return QJsonValue(*integer());
        case Case::double_: {
            const double rounded = roundedForWriting(*number());
            if (!std::isfinite(rounded)) return std::nullopt;
            // -0.0001 rounds to -0; receivers should see a plain 0.
            return QJsonValue(rounded == 0.0 ? 0.0 : rounded);
        }
        case Case::bool_:
            return QJsonValue(*boolean());
        case Case::array: {
            QJsonArray out;
            for (const auto& element : *array()) {
                auto converted = element.toQt();
                if (!converted) return std::nullopt;
                out.append(*converted);
            }
            return QJsonValue(out);
        }
        case Case::object: {
            QJsonObject out;
            for (const auto& [key, member] : *object()) {
                auto converted = member.toQt();
                if (!converted) return std::nullopt;
                out.insert(key, *converted);
            }
            return QJsonValue(out);
        }
        case Case::null:
            return QJsonValue(QJsonValue::Null);
    }
    return std::nullopt;
}

namespace {

void writeString(QByteArray& out, const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

void newline(QByteArray& out, bool indented, int depth) {
    if (!indented) return;
    out += '\n';
    out.append(QByteArray(depth * 4, ' '));
}

// Writes JSON text directly from the value (std::map keeps keys sorted, as every writer of
// the agent wants). Returns false on a non-finite double.
bool write(QByteArray& out, const JSONValue& value, bool indented, int depth) {
    switch (value.kind()) {
        case JSONValue::Case::string:
            writeString(out, *value.string());
            return true;
        case JSONValue::Case::int_:
            out += QByteArray::number(*value.integer());
            return true;
        case JSONValue::Case::double_: {
            double rounded = JSONValue::roundedForWriting(*value.number());
            if (!std::isfinite(rounded)) return false;
            if (rounded == 0.0) rounded = 0.0;  // -0 is written as 0
            out += QByteArray::number(rounded, 'g', QLocale::FloatingPointShortest);
            return true;
        }
        case JSONValue::Case::bool_:
            out += *value.boolean() ? "true" : "false";
            return true;
        case JSONValue::Case::null:
            out += "null";
            return true;
        case JSONValue::Case::array: {
            const JSONArray& array = *value.array();
            out += '[';
            bool first = true;
            for (const auto& element : array) {
                if (!first) out += ',';
                first = false;
                newline(out, indented, depth + 1);
                if (!write(out, element, indented, depth + 1)) return false;
            }
            if (!array.empty()) newline(out, indented, depth);
            out += ']';
            return true;
        }
        case JSONValue::Case::object: {
            const JSONObject& object = *value.object();
            out += '{';
            bool first = true;
            for (const auto& [key, member] : object) {
                if (!first) out += ',';
                first = false;
                newline(out, indented, depth + 1);
                writeString(out, key);
                out += indented ? ": " : ":";
                if (!write(out, member, indented, depth + 1)) return false;
            }
            if (!object.empty()) newline(out, indented, depth);
            out += '}';
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<QByteArray> JSONValue::serialized(Slashes slashes, Layout layout) const {
    QByteArray text;
    text.reserve(256);
    if (!write(text, *this, layout == Layout::indented, 0)) return std::nullopt;
    // "/" occurs in JSON text only inside strings, so escaping every one is exact.
    if (slashes == Slashes::escaped) text.replace("/", "\\/");
    return text;
}
