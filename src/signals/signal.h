// One signal: a small typed fact about the person's work. Stored and delivered as one flat
// JSON object: the fields plus "id", "type" and "v", the last three written over the fields.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "signals/json_value.h"

namespace tarnwhistle {

struct Signal {
    QString id;    // a ULID, made when the signal is emitted
    QString type;  // the wire name; a plain string so unknown names ("test.ping") still travel
    qint64 v = 1;  // version of the field layout
    JSONObject fields;

    bool operator==(const Signal&) const = default;

    // The flat object form.
    JSONValue encoded() const;
    // Sorted keys, "/" written as "\/"; "{}" when the fields cannot be written (a NaN, say).
    QString jsonString() const;

    // Reads a signal from its flat object form. A missing or non-string "id" gets a fresh
    // ULID of the current time, a missing "type" becomes "unknown", a non-integer "v" becomes 1.
    // Fails (nullopt, `error` = "signal is not an object") unless `value` is an object.
    static std::optional<Signal> decode(JSONValue value, QString* error = nullptr);
    // Same, from JSON text; malformed text fails with the parser's description.
    static std::optional<Signal> fromJSON(const QByteArray& text, QString* error = nullptr);
};

}  // namespace tarnwhistle
