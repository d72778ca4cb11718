// What is never observed: excluded applications, sites and title words, private windows.
#include "privacy/privacy.h"

#include "base/text_trim.h"

namespace tarnwhistle {

namespace Privacy {
namespace {

// Lower-cased and trimmed of horizontal white space (a line break is part of the entry).
QString normalisedEntry(const QString& entry) {
    return Text::trimHorizontalSpace(entry).toLower();
}

}  // namespace

bool isExcludedApp(const QString& bundleId, const DeploymentConfig& cfg) {
    if (bundleId.isEmpty()) return false;
    for (const QString& entry : cfg.excludedBundleIds)
        if (entry.compare(bundleId, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool isExcludedDomain(const std::optional<QString>& domain, const std::optional<QString>& host,
                      const DeploymentConfig& cfg) {
    if (!host) return false;
    QString lowerHost = host->toLower();
    while (lowerHost.endsWith(u'.')) lowerHost.chop(1);
    for (const QString& raw : cfg.excludedDomains) {
        const QString entry = normalisedEntry(raw);
        if (entry.isEmpty()) continue;
        if (lowerHost == entry) return true;
        if (lowerHost.size() > entry.size() && lowerHost.endsWith(entry) &&
            lowerHost[lowerHost.size() - entry.size() - 1] == u'.')
            return true;
        if (domain && *domain == entry) return true;
    }
    return false;
}

bool hasExcludedWord(const QString& title, const DeploymentConfig& cfg) {
    const QString lowerTitle = title.toLower();
    for (const QString& raw : cfg.excludedTitleWords) {
        const QString entry = normalisedEntry(raw);
        if (!entry.isEmpty() && lowerTitle.contains(entry)) return true;
    }
    return false;
}

bool isPrivateBrowsing(const QString& title) {
    const QString lower = title.toLower();
    return lower.endsWith(QStringLiteral("\u2014 private")) ||
           lower.contains(QStringLiteral("private browsing")) ||
           lower.contains(QStringLiteral("incognito")) ||
           lower.endsWith(QStringLiteral("- private"));
}

}  // namespace Privacy

}  // namespace tarnwhistle
