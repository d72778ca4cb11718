// What a finished request tells the outbox: the HTTP status code (when an HTTP response came),
// the transport error (when none did), the start of the reply body and a Retry-After header.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "signals/time.h"

namespace tarnwhistle {

struct HttpOutcome {
    std::optional<qint64> code;
    std::optional<QString> transportError;  // its description; only when there is no code
    std::optional<QString> reply;           // the first bytes of the body as UTF-8
    QByteArray retryAfter;                  // the raw Retry-After header, empty when absent

    // The status decides: a 2xx counts even when the body was cut off afterwards, since the
    // receiver had the whole batch before it answered.
    bool delivered() const { return code && *code >= 200 && *code <= 299; }

    // The text a failure is recorded under: "Server replied 503: busy", or the transport
    // error's description.
    QString failureText() const;

    // `bytes` as UTF-8; absent when they are not valid UTF-8 (a character cut at the end
    // included).
    static std::optional<QString> replyText(const QByteArray& bytes);

    // How long a 429 or 503 answer asks the sender to stay away, in seconds from `now`:
    // Retry-After as delta seconds or an HTTP date, at most `cap`. Absent for other answers
    // and for a header that reads as neither.
    std::optional<double> retryAfterSeconds(TimePoint now, double cap) const;
};

}  // namespace tarnwhistle
