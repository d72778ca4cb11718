#include "delivery/http_outcome.h"

#include <QDateTime>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>

namespace tarnwhistle {

namespace {

// The three date forms HTTP allows: IMF-fixdate, the obsolete RFC 850 form and asctime().
std::optional<TimePoint> httpDate(const QString& text) {
    const QString simple = text.simplified();
    for (const char* format : {"ddd, dd MMM yyyy hh:mm:ss 'GMT'", "dddd, dd-MMM-yy hh:mm:ss 'GMT'",
                               "ddd MMM d hh:mm:ss yyyy"}) {
        const QDateTime read = QLocale::c().toDateTime(simple, QString::fromLatin1(format));
        if (!read.isValid()) continue;
        QDateTime date(read.date(), read.time(), Qt::UTC);
        // Two-digit years read as 19xx; RFC 850 dates fifty years or more ahead are past.
        if (date.date().year() < 1970) date = date.addYears(100);
        return date.toMSecsSinceEpoch() / 1000.0;
    }
    return std::nullopt;
}

}  // namespace

QString HttpOutcome::failureText() const {
    if (!code && transportError) return *transportError;
    QString text = QStringLiteral("Server replied ") +
                   (code ? QString::number(*code) : QStringLiteral("nothing"));
    if (reply) text += QStringLiteral(": ") + *reply;
    return text;
}

std::optional<QString> HttpOutcome::replyText(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

std::optional<double> HttpOutcome::retryAfterSeconds(TimePoint now, double cap) const {
    if (!code || (*code != 429 && *code != 503)) return std::nullopt;
    const QByteArray value = retryAfter.trimmed();
    if (value.isEmpty()) return std::nullopt;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Too many digits for a number is still "a long time".
        const qint64 seconds = value.size() > 12 ? qint64(cap) : value.toLongLong();
        return std::min(double(seconds), cap);
    }
    const auto date = httpDate(QString::fromLatin1(value));
    if (!date) return std::nullopt;
    return std::clamp(*date - now, 0.0, cap);
}

}  // namespace tarnwhistle
