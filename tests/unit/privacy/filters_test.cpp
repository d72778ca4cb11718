// Exclusions, hosts and registrable domains.
#include <gtest/gtest.h>

#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

DeploymentConfig configWith(QStringList apps, QStringList domains, QStringList words) {
    DeploymentConfig cfg;
    cfg.excludedBundleIds = std::move(apps);
    cfg.excludedDomains = std::move(domains);
    cfg.excludedTitleWords = std::move(words);
    return cfg;
}

TEST(Exclusions, AppsMatchWholeIdentifierIgnoringCase) {
    const auto cfg = configWith({"com.agilebits.OnePassword7", " com.spaced.App", ""}, {}, {});
    EXPECT_TRUE(Privacy::isExcludedApp("COM.AGILEBITS.onepassword7", cfg));
    EXPECT_FALSE(Privacy::isExcludedApp("com.agilebits", cfg));
    EXPECT_FALSE(Privacy::isExcludedApp("com.agilebits.OnePassword7.helper", cfg));
    // Application entries are not trimmed, and an empty entry matches nothing.
    EXPECT_FALSE(Privacy::isExcludedApp("com.spaced.App", cfg));
    EXPECT_FALSE(Privacy::isExcludedApp("", cfg));
}

TEST(Exclusions, SitesByHostSubdomainOrDomain) {
    const auto cfg = configWith({}, {"  Bank.Example\t", "", " \t ", "health.example.co.uk"}, {});
    const auto host = Privacy::host(QStringLiteral("https://www.bank.example/login"));
    ASSERT_EQ(host, QStringLiteral("bank.example"));
    EXPECT_TRUE(Privacy::isExcludedDomain(Privacy::domain(host), host, cfg));
    EXPECT_TRUE(Privacy::isExcludedDomain(std::nullopt, QStringLiteral("secure.BANK.example"), cfg));
    EXPECT_FALSE(Privacy::isExcludedDomain(std::nullopt, QStringLiteral("piggybank.example"), cfg));
    EXPECT_FALSE(Privacy::isExcludedDomain(QStringLiteral("bank.example"), std::nullopt, cfg));
    // The given registrable domain counts too.
    EXPECT_TRUE(Privacy::isExcludedDomain(QStringLiteral("health.example.co.uk"),
                                          QStringLiteral("other.host"), cfg));
    // A fully qualified host with its trailing dot is the same site.
    EXPECT_TRUE(Privacy::isExcludedDomain(std::nullopt, QStringLiteral("bank.example."), cfg));
    const auto dotted = Privacy::host(QStringLiteral("https://WWW.Bank.Example./x"));
    EXPECT_EQ(dotted, QStringLiteral("bank.example"));
    // Blank entries never match, not even an empty host.
    EXPECT_FALSE(Privacy::isExcludedDomain(QString(), QString(), configWith({}, {"", "  "}, {})));
}

TEST(Exclusions, TitleWordsAreTrimmedSubstrings) {
    const auto cfg = configWith({}, {}, {" Salary ", "", "\t", "diagnos"});
    EXPECT_TRUE(Privacy::hasExcludedWord("2024 SALARY review.xlsx", cfg));
    EXPECT_TRUE(Privacy::hasExcludedWord("Diagnosis notes", cfg));
    EXPECT_FALSE(Privacy::hasExcludedWord("Quarterly report", cfg));
    EXPECT_FALSE(Privacy::hasExcludedWord("", cfg));
}

TEST(Exclusions, PrivateBrowsingTitles) {
    EXPECT_TRUE(Privacy::isPrivateBrowsing(QStringLiteral("News \u2014 PRIVATE")));
    EXPECT_TRUE(Privacy::isPrivateBrowsing("Search - Private"));
    EXPECT_TRUE(Privacy::isPrivateBrowsing("New Tab (Incognito)"));
    EXPECT_TRUE(Privacy::isPrivateBrowsing("Mozilla Firefox Private Browsing"));
    EXPECT_FALSE(Privacy::isPrivateBrowsing("Private equity memo - Word"));
    EXPECT_FALSE(Privacy::isPrivateBrowsing("Private"));
}

TEST(Hosts, HostOfUrl) {
    EXPECT_EQ(Privacy::host(QStringLiteral("https://WWW.Example.COM/a?b#c")), "example.com");
    EXPECT_EQ(Privacy::host(QStringLiteral("http://www.www.example.com")), "www.example.com");
    EXPECT_EQ(Privacy::host(QStringLiteral("https://wwwexample.com")), "wwwexample.com");
    EXPECT_EQ(Privacy::host(QStringLiteral("https://user:pw@docs.example.org:8443/x")), "docs.example.org");
    for (const QString& bad : {QString(), QStringLiteral("not a url"), QStringLiteral("file:///tmp/a.txt"),
                               QStringLiteral("https://exa mple.com/"), QStringLiteral("http://[::1"),
                               QStringLiteral("https://www./"), QStringLiteral("mailto:a@b.c")})
        EXPECT_EQ(Privacy::host(bad), std::nullopt) << bad.toStdString();
    EXPECT_EQ(Privacy::host(std::nullopt), std::nullopt);
}

TEST(Hosts, RegistrableDomain) {
    EXPECT_EQ(Privacy::domain(QStringLiteral("a.b.example.co.uk")), "example.co.uk");
    EXPECT_EQ(Privacy::domain(QStringLiteral("mail.example.com")), "example.com");
    EXPECT_EQ(Privacy::domain(QStringLiteral("co.uk")), "co.uk");
    EXPECT_EQ(Privacy::domain(QStringLiteral("example.com")), "example.com");
    EXPECT_EQ(Privacy::domain(QStringLiteral("localhost")), "localhost");
    EXPECT_EQ(Privacy::domain(QStringLiteral("shop.example.com.au")), "example.com.au");
    EXPECT_EQ(Privacy::domain(std::nullopt), std::nullopt);
}

TEST(Tables, SizesAndSpotChecks) {
    EXPECT_EQ(Privacy::browsers().size(), 15u);
    EXPECT_EQ(Privacy::conversationApps().size(), 24u);
    EXPECT_EQ(Privacy::twoPartSuffixes().size(), 16u);
    EXPECT_EQ(Privacy::ticketSites().size(), 9);
    EXPECT_EQ(Privacy::conversationSites().size(), 6);
    EXPECT_EQ(Privacy::documentSites().size(), 11);
    EXPECT_EQ(Privacy::workSites().size(), 9);
    EXPECT_EQ(Privacy::defaultAppCategories().size(), 173u);
    EXPECT_EQ(Privacy::siteRules().size(), 39u);
    // Host lists hold bare lower-case hosts; only the ticket list may carry a path.
    int ticketPaths = 0;
    for (const QStringList* list : {&Privacy::ticketSites(), &Privacy::conversationSites(),
                                    &Privacy::documentSites(), &Privacy::workSites()})
        for (const QString& entry : *list) {
            EXPECT_EQ(entry, entry.toLower());
            EXPECT_FALSE(entry.startsWith("www.") || entry.contains("://")) << entry.toStdString();
            if (entry.contains('/')) {
                EXPECT_EQ(list, &Privacy::ticketSites());
                ++ticketPaths;
            }
        }
    EXPECT_EQ(ticketPaths, 1);
}

}  // namespace
