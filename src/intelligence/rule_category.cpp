// Rule categories: the kind of work from the site alone, else from the application.
#include <QUrl>

#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {

const std::vector<SiteRule>& siteRules() {
    static const std::vector<SiteRule> rules{
        {"mail.google.com", "communication"},
        {"outlook.office.com", "communication"},
        {"outlook.live.com", "communication"},
        {"app.slack.com", "communication"},
        {"teams.microsoft.com", "communication"},
        {"web.whatsapp.com", "communication"},
        {"meet.google.com", "meeting"},
        {"zoom.us", "meeting"},
        {"calendar.google.com", "planning"},
        {"docs.google.com/spreadsheets", "analysis"},
        {"docs.google.com/document", "documentation"},
        {"docs.google.com/presentation", "documentation"},
        {"notion.so", "documentation"},
        {"sharepoint.com", "documentation"},
        {"github.com", "development"},
        {"gitlab.com", "development"},
        {"stackoverflow.com", "development"},
        {"atlassian.net", "planning"},
        {"linear.app", "planning"},
        {"trello.com", "planning"},
        {"asana.com", "planning"},
        {"figma.com", "design"},
        {"canva.com", "design"},
        {"miro.com", "design"},
        {"workday.com", "admin"},
        {"bamboohr.com", "admin"},
        {"personio.de", "admin"},
        {"personio.com", "admin"},
        {"expensify.com", "admin"},
        {"xero.com", "analysis"},
        {"salesforce.com", "data_entry"},
        {"hubspot.com", "data_entry"},
        {"zendesk.com", "communication"},
        {"freshdesk.com", "communication"},
        {"chatgpt.com", "research"},
        {"claude.ai", "research"},
        {"gemini.google.com", "research"},
        {"wikipedia.org", "research"},
        {"google.com/search", "research"},
    };
    return rules;
}

std::optional<QString> ruleCategory(const QString& bundleId, const std::optional<QString>& host,
                                    const std::optional<QString>& url,
                                    const DeploymentConfig& cfg) {
    if (host) {
        QString hostAndPath = *host;
        if (url) {
            const QUrl parsed(url->trimmed(), QUrl::StrictMode);
            if (parsed.isValid()) hostAndPath += parsed.path(QUrl::FullyDecoded);
        }
        for (const SiteRule& rule : siteRules())
            if (hostAndPath.contains(rule.pattern)) return rule.category;
    }
    if (auto it = cfg.appCategories.find(bundleId); it != cfg.appCategories.end())
        return it->second;
    const auto& defaults = defaultAppCategories();
    if (auto it = defaults.find(bundleId); it != defaults.end()) return it->second;
    if (browsers().count(bundleId) && host) return QStringLiteral("research");
    return std::nullopt;
}

}  // namespace Privacy

}  // namespace tarnwhistle
