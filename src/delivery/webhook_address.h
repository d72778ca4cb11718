// The configured webhook address as the outbox uses it.
#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace WebhookAddress {
// `text` without white space at either end: spaces of any kind and tabs, but not line breaks.
QString trimmed(const QString& text);
// The trimmed address as a URL when it parses and its scheme, as written, begins with "http"
// (so "http" and "https" pass, "HTTPS" and "ftp" do not); nullopt otherwise.
std::optional<QUrl> usable(const QString& webhookURL);
}  // namespace WebhookAddress
