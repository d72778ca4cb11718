#include "app/connection_link.h"

#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include "config/config_store.h"
#include "delivery/outbox.h"

namespace tarnwhistle {

std::optional<ConnectionLink> ConnectionLink::parse(const QString& link) {
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || !url.hasQuery()) return std::nullopt;
    // QUrl lower-cases scheme and host; the link must name them exactly, so they are read
    // from the text as written.
    static const QRegularExpression authority(
        QStringLiteral("^([^:/?#]+)://(?:[^@/?#]*@)?([^:/?#]*)"));
    const QRegularExpressionMatch m = authority.match(link);
    if (!m.hasMatch() || m.captured(1) != QLatin1String("tarnwhistle") ||
        m.captured(2) != QLatin1String("connect"))
        return std::nullopt;
    // Decoded values; "+" stays a plus, as in any other query of a URL.
    const QUrlQuery query(url);
    auto first = [&](const QString& key) -> std::optional<QString> {
        if (!query.hasQueryItem(key)) return std::nullopt;
        return query.queryItemValue(key, QUrl::FullyDecoded);
    };
    const auto webhook = first(QStringLiteral("webhook"));
    if (!webhook || !webhook->startsWith(QLatin1String("https://"))) return std::nullopt;
    ConnectionLink out{*webhook, std::nullopt, std::nullopt};
    if (auto secret = first(QStringLiteral("secret")); secret && !secret->isEmpty())
        out.secret = *secret;
    if (auto org = first(QStringLiteral("org")); org && !org->isEmpty()) out.org = *org;
    return out;
}

ConnectionLinks::ConnectionLinks(ConfigStore& config, Outbox& outbox, Hooks hooks, QObject* parent)
    : QObject(parent), config_(config), outbox_(outbox), hooks_(std::move(hooks)) {}

void ConnectionLinks::handle(const QString& link) {
    queue_.push_back(link);
    // The confirmation runs a modal loop, in which further links can arrive: they queue here
    // and are confirmed one after another.
    if (busy_) return;
    busy_ = true;
    while (!queue_.empty()) {
        const QString next = queue_.front();
        queue_.pop_front();
        const auto parsed = ConnectionLink::parse(next);
        if (!parsed) continue;
        if (!hooks_.confirm || !hooks_.confirm(parsed->webhook)) continue;
        connectTo(*parsed);
    }
    busy_ = false;
}

void ConnectionLinks::connectTo(const ConnectionLink& link) {
    DeploymentConfig config = config_.config();
    config.rememberCurrentDestination();
    config.webhookURL = link.webhook;
    if (link.secret) config.webhookSecret = *link.secret;
    if (link.org) config.orgId = *link.org;
    config_.save(config);
    QPointer<ConnectionLinks> self(this);
    outbox_.sendTest([self](bool ok, const QString& message) {
        if (!self || !self->hooks_.inform) return;
        self->hooks_.inform(
            ok ? QStringLiteral("Connected") : QStringLiteral("Saved, but the test failed"),
            message);
    });
}

}  // namespace tarnwhistle
