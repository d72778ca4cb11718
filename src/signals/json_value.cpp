#include "signals/json_value.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QVariant>
#include <cmath>

namespace {

// Qt keeps integers that fit 64 bits as integers and everything else as double; a double
// that is a whole number inside the 64-bit range is still an `int` here (3.0, 3e0).
JSONValue numberFromQt(const QJsonValue& value) {
    const QVariant v = value.toVariant();
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ||
        v.typeId() == QMetaType::ULongLong) {
        if (v.typeId() == QMetaType::ULongLong) {
            const qulonglong u = v.toULongLong();
            if (u > qulonglong(std::numeric_limits<qint64>::max())) return JSONValue(double(u));
        }
        return JSONValue(qint64(v.toLongLong()));
    }
    const double d = value.toDouble();
    // -2^63 <= d < 2^63 and whole: representable as qint64 exactly.
    if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 &&
        d < 9223372036854775808.0) {
        return JSONValue(qint64(d));
    }
    return JSONValue(d);
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

std::optional<JSONValue> JSONValue::parse(const QByteArray& text, QString* error) {
    // QJsonDocument only takes arrays and objects at the top level; wrapping the text in an
    // array reads any single value with the same parser.
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson("[" + text + "\n]", &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1) {
        if (error) {
            *error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("The data is not valid JSON: %1 (around character %2).")
                               .arg(parseError.errorString())
                               .arg(qMax(0, parseError.offset - 1))
                         : QStringLiteral("The data is not valid JSON.");
        }
        return std::nullopt;
    }
    return fromQt(doc.array().first());
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

std::optional<QByteArray> JSONValue::serialized(Slashes slashes, Layout layout) const {
    const auto qt = toQt();
    if (!qt) return std::nullopt;
    const auto format = layout == Layout::compact ? QJsonDocument::Compact : QJsonDocument::Indented;
    QByteArray text;
    if (qt->isObject()) {
        text = QJsonDocument(qt->toObject()).toJson(format);
    } else if (qt->isArray()) {
        text = QJsonDocument(qt->toArray()).toJson(format);
    } else {
        // A bare scalar: write it inside an array and cut the brackets off.
        text = QJsonDocument(QJsonArray{*qt}).toJson(QJsonDocument::Compact);
        text = text.mid(1, text.size() - 2);
    }
    if (layout == Layout::indented && text.endsWith('\n')) text.chop(1);
    // "/" occurs in JSON text only inside strings, so escaping every one is exact.
    if (slashes == Slashes::escaped) text.replace("/", "\\/");
    return text;
}
