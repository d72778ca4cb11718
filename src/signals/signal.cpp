#include "signals/signal.h"

#include "signals/ulid.h"

namespace tarnwhistle {

JSONValue Signal::encoded() const {
    JSONObject object = fields;
    object.insert_or_assign(QStringLiteral("id"), JSONValue(id));
    object.insert_or_assign(QStringLiteral("type"), JSONValue(type));
    object.insert_or_assign(QStringLiteral("v"), JSONValue(v));
    return JSONValue(std::move(object));
}

QString Signal::jsonString() const {
    const auto text = encoded().serialized(JSONValue::Slashes::escaped);
    return text ? QString::fromUtf8(*text) : QStringLiteral("{}");
}

std::optional<Signal> Signal::decode(JSONValue value, QString* error) {
    JSONObject* object = value.object();
    if (!object) {
        if (error) *error = QStringLiteral("signal is not an object");
        return std::nullopt;
    }
    Signal signal;
    signal.fields = std::move(*object);
    auto take = [&](const char* key) -> std::optional<JSONValue> {
        auto it = signal.fields.find(QString::fromLatin1(key));
        if (it == signal.fields.end()) return std::nullopt;
        JSONValue taken = std::move(it->second);
        signal.fields.erase(it);
        return taken;
    };
    const auto id = take("id");
    signal.id = id && id->string() ? *id->string() : ULID::make(Time::now());
    const auto type = take("type");
    signal.type = type && type->string() ? *type->string() : QStringLiteral("unknown");
    const auto version = take("v");
    signal.v = version && version->integer() ? *version->integer() : 1;
    return signal;
}

std::optional<Signal> Signal::fromJSON(const QByteArray& text, QString* error) {
    const auto value = JSONValue::parse(text, error);
    if (!value) return std::nullopt;
    return decode(std::move(*value), error);
}

}  // namespace tarnwhistle
