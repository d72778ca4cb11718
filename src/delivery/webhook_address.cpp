#include "delivery/webhook_address.h"

#include <QHostAddress>

#include "base/text_trim.h"

namespace tarnwhistle {

namespace {

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

namespace WebhookAddress {

std::optional<QUrl> usable(const QString& webhookURL) {
    const QString address = Text::trimHorizontalSpace(webhookURL);
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
    // QUrl lower-cases the scheme; the check is on the scheme as the user wrote it.
    if (address.startsWith(QLatin1String("https://"))) return url;
    if (address.startsWith(QLatin1String("http://")) && isLoopback(url.host())) return url;
    return std::nullopt;
}

QString withoutCredentials(const QString& text) {
    QString out = text;
    const qsizetype scheme = out.indexOf(QLatin1String("://"));
    const qsizetype authorityStart = scheme < 0 ? 0 : scheme + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < out.size() && !QStringView(u"/?#").contains(out[authorityEnd]))
        ++authorityEnd;
    const qsizetype at = out.lastIndexOf(u'@', authorityEnd - 1);
    if (at >= authorityStart) out.remove(authorityStart, at + 1 - authorityStart);
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == u'?' || out[i] == u'#') {
            out.truncate(i);
            break;
        }
    }
    return out;
}

QString scrubbed(QString message, const QUrl& url) {
    const QString clean = withoutCredentials(url.toString(QUrl::FullyEncoded));
    for (const QString& spelling :
         {url.toString(QUrl::FullyEncoded), url.toString(), url.toDisplayString()}) {
        if (!spelling.isEmpty()) message.replace(spelling, clean);
    }
    // Anything left of the user info or query (a library quoting only a part of the URL).
    for (const QString& part : {url.userInfo(QUrl::FullyEncoded), url.userInfo(),
                                url.query(QUrl::FullyEncoded), url.query()}) {
        if (part.size() >= 3) message.replace(part, QStringLiteral("…"));
    }
    return message;
}

}  // namespace WebhookAddress

}  // namespace tarnwhistle
