#include <gtest/gtest.h>

#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

std::optional<QString> ruleFor(const QString& bundleId, const std::optional<QString>& url,
                               const DeploymentConfig& cfg = DeploymentConfig()) {
    return Privacy::ruleCategory(bundleId, Privacy::host(url), url, cfg);
}

TEST(RuleCategory, SiteRulesByHostAndPathThenBrowsersAsResearch) {
    // Each rule's own pattern is tried in EverySiteRuleIsReachable; these are the edges.
    const QString chrome = QStringLiteral("com.google.Chrome");
    // The query is not part of the path.
    EXPECT_EQ(ruleFor(chrome, QStringLiteral("https://www.google.com/maps?q=/search")), "research");
    EXPECT_EQ(ruleFor(chrome, QStringLiteral("https://news.example.org/")), "research");
    EXPECT_EQ(ruleFor(chrome, std::nullopt), std::nullopt);
    // Site rules apply to any application showing the site.
    EXPECT_EQ(ruleFor("com.microsoft.VSCode", QStringLiteral("https://figma.com/file/1")),
              "design");
}

TEST(RuleCategory, ApplicationsUserFirst) {
    DeploymentConfig cfg;
    cfg.appCategories = {{"com.microsoft.Excel", "finance"}, {"org.example.Tool", "admin"}};
    EXPECT_EQ(ruleFor("com.microsoft.Excel", std::nullopt, cfg), "finance");
    EXPECT_EQ(ruleFor("com.microsoft.Excel", std::nullopt), "analysis");
    EXPECT_EQ(ruleFor("org.example.Tool", std::nullopt, cfg), "admin");
    // Bundle identifiers are compared exactly.
    EXPECT_EQ(ruleFor("com.microsoft.excel", std::nullopt), std::nullopt);
    EXPECT_EQ(ruleFor("org.example.Unlisted", std::nullopt), std::nullopt);
    // An unmatched site falls back to the application.
    EXPECT_EQ(ruleFor("com.apple.mail", QStringLiteral("https://example.org/")), "communication");
}

TEST(RuleCategory, EverySiteRuleIsReachable) {
    // An earlier rule that contains a later one would hide it.
    const auto& rules = Privacy::siteRules();
    for (size_t i = 0; i < rules.size(); ++i) {
        const QString& pattern = rules[i].pattern;
        EXPECT_EQ(ruleFor("org.example.Unlisted", "https://" + pattern + "/x"), rules[i].category)
            << pattern.toStdString();
    }
}

}  // namespace
