// What a finished request tells the outbox: the HTTP status code (when an HTTP response came),
// the transport error (when the exchange itself failed) and the start of the reply body.
#pragma once

#include <QString>
#include <optional>

class QNetworkReply;

struct HttpOutcome {
    std::optional<qint64> code;
    std::optional<QString> transportError;  // its description
    std::optional<QString> reply;           // the first bytes of the body as UTF-8

    bool delivered() const { return !transportError && code && *code >= 200 && *code <= 299; }

    // Reads a finished reply. The reply text is the first `replyLimit` bytes of the body decoded
    // as UTF-8 (empty for an empty body); absent after a transport error or when those bytes
    // are not valid UTF-8 (a character cut at the limit included). An HTTP error status is not a transport error: any status is an answer.
    static HttpOutcome from(QNetworkReply* reply, qsizetype replyLimit);
};
