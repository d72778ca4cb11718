#include "signals/json_value.h"

#include <QLocale>
#include <cmath>

namespace tarnwhistle {

double JSONValue::roundedForWriting(double x) { return std::round(x * 1000.0) / 1000.0; }

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

// Writes JSON text directly from the value (std::map keeps keys sorted, as every writer of
// the agent wants). Returns false on a non-finite double.
bool write(QByteArray& out, const JSONValue& value) {
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
                if (!write(out, element)) return false;
            }
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
                writeString(out, key);
                out += ':';
                if (!write(out, member)) return false;
            }
            out += '}';
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<QByteArray> JSONValue::serialized(Slashes slashes) const {
    QByteArray text;
    text.reserve(256);
    if (!write(text, *this)) return std::nullopt;
    // "/" occurs in JSON text only inside strings, so escaping every one is exact.
    if (slashes == Slashes::escaped) text.replace("/", "\\/");
    return text;
}

}  // namespace tarnwhistle
