#include <gtest/gtest.h>

#include "privacy/privacy.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

QString ruleFor(const QString& bundleId, const QString& url,
                const DeploymentConfig& cfg = DeploymentConfig()) {
    const auto address = url.isEmpty() ? std::nullopt : std::optional(url);
    return Privacy::ruleCategory(bundleId, Privacy::host(address), address, cfg).value_or("");
}

TEST(RuleCategory, SitesThenApplicationsThenBrowsersAsResearch) {
    for (const QStringList& row : dataRows("privacy/rule_category.tsv", 3))
        EXPECT_EQ(ruleFor(row[0], row[1]), row[2]) << row;
    // The user's table comes first.
    DeploymentConfig cfg;
    cfg.appCategories = {{"com.microsoft.Excel", "finance"}, {"org.example.Tool", "admin"}};
    EXPECT_EQ(ruleFor("com.microsoft.Excel", {}, cfg), "finance");
    EXPECT_EQ(ruleFor("org.example.Tool", {}, cfg), "admin");
}

TEST(RuleCategory, EverySiteRuleIsReachable) {
    // An earlier rule that contains a later one would hide it.
    for (const auto& rule : Privacy::siteRules())
        EXPECT_EQ(ruleFor("org.example.Unlisted", "https://" + rule.pattern + "/x"), rule.category)
            << rule.pattern;
}

}  // namespace
