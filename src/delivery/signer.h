// Batch signatures: "v1=" + Base64 of HMAC-SHA256 keyed with the webhook secret over
// the timestamp's decimal text, ".", and the body bytes. Receivers recompute it from the
// X-Tarnwhistle-Timestamp header and the raw body.
#pragma once

#include <QByteArray>
#include <QString>

namespace tarnwhistle {

namespace Signer {
// The header value for `body` sent at `timestamp` (whole seconds since 1970).
QString signature(const QString& secret, qint64 timestamp, const QByteArray& body);
// A receiver's check over the timestamp exactly as it came in the header, comparing in
// constant time.
bool verify(const QString& secret, const QByteArray& timestampText, const QString& signatureValue,
            const QByteArray& body);
}  // namespace Signer

}  // namespace tarnwhistle
