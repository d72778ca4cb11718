// The configured webhook address as the outbox uses it.
#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace tarnwhistle {

namespace WebhookAddress {
// The address, trimmed of horizontal white space, as a URL when batches may go there: "https://"
// with a host, or "http://" to a loopback host (local receivers). The scheme is checked as written,
// so "HTTPS://" is refused. nullopt otherwise.
std::optional<QUrl> usable(const QString& webhookURL);
// `text` with any user info ("user:password@") and everything from the first "?" or "#"
// removed: the form in which an address may be shown, stored or logged.
QString withoutCredentials(const QString& text);
// `message` (an error text from the network library, say) with every spelling of `url` in
// it replaced by its credential-free form.
QString scrubbed(QString message, const QUrl& url);
}  // namespace WebhookAddress

}  // namespace tarnwhistle
