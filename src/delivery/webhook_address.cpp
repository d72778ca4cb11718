#include "delivery/webhook_address.h"

namespace {
bool isBlank(QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; }
}  // namespace

namespace WebhookAddress {

QString trimmed(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

std::optional<QUrl> usable(const QString& webhookURL) {
    const QString address = trimmed(webhookURL);
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) return std::nullopt;
    // QUrl lower-cases the scheme; the check is on the scheme as the user wrote it.
    if (!address.startsWith(QLatin1String("http"))) return std::nullopt;
    return url;
}

}  // namespace WebhookAddress
