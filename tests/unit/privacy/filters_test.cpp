// Exclusions, private windows and the tables of sites.
#include <gtest/gtest.h>

#include "privacy/privacy.h"
#include "qt_printers.h"

namespace {

DeploymentConfig configWith(QStringList apps, QStringList domains, QStringList words) {
    DeploymentConfig cfg;
    cfg.excludedBundleIds = std::move(apps);
    cfg.excludedDomains = std::move(domains);
    cfg.excludedTitleWords = std::move(words);
    return cfg;
}

TEST(Exclusions, AppsWholeIdentifierIgnoringCaseUntrimmed) {
    const auto cfg = configWith({"com.agilebits.OnePassword7", " com.spaced.App", ""}, {}, {});
    EXPECT_TRUE(Privacy::isExcludedApp("COM.AGILEBITS.onepassword7", cfg));
    for (const char* other :
         {"com.agilebits", "com.agilebits.OnePassword7.helper", "com.spaced.App", ""})
        EXPECT_FALSE(Privacy::isExcludedApp(other, cfg)) << other;
}

TEST(Exclusions, SitesByHostSubdomainOrDomain) {
    const auto cfg =
        configWith({}, {"  Bank.Example\t", "", " \t ", "\u00a0health.example.co.uk"}, {});
    const auto host = Privacy::host(QStringLiteral("https://www.bank.example/login"));
    EXPECT_TRUE(Privacy::isExcludedDomain(Privacy::domain(host), host, cfg));
    // Subdomains and the fully qualified form with its trailing dot are the same site.
    for (const char* excluded : {"secure.BANK.example", "bank.example."})
        EXPECT_TRUE(Privacy::isExcludedDomain(std::nullopt, QString(excluded), cfg)) << excluded;
    EXPECT_FALSE(Privacy::isExcludedDomain(std::nullopt, QStringLiteral("piggybank.example"), cfg));
    EXPECT_FALSE(Privacy::isExcludedDomain(QStringLiteral("bank.example"), std::nullopt, cfg));
    // The given registrable domain counts too.
    EXPECT_TRUE(Privacy::isExcludedDomain(QStringLiteral("health.example.co.uk"),
                                          QStringLiteral("other.host"), cfg));
    // Blank entries never match, not even an empty host.
    EXPECT_FALSE(Privacy::isExcludedDomain(QString(), QString(), configWith({}, {"", "  "}, {})));
}

TEST(Exclusions, TitleWordsAndPrivateWindows) {
    const auto cfg = configWith({}, {}, {" Salary ", "", "\t", "diagnos"});
    EXPECT_TRUE(Privacy::hasExcludedWord("2024 SALARY review.xlsx", cfg));
    EXPECT_TRUE(Privacy::hasExcludedWord("Diagnosis notes", cfg));
    EXPECT_FALSE(Privacy::hasExcludedWord("Quarterly report", cfg));
    EXPECT_FALSE(Privacy::hasExcludedWord("", cfg));
    for (const char* title : {"News \u2014 PRIVATE", "Search - Private", "New Tab (Incognito)",
                              "Mozilla Firefox Private Browsing"})
        EXPECT_TRUE(Privacy::isPrivateBrowsing(QString::fromUtf8(title))) << title;
    EXPECT_FALSE(Privacy::isPrivateBrowsing("Private equity memo - Word"));
    EXPECT_FALSE(Privacy::isPrivateBrowsing("Private"));
}

TEST(Tables, HostListsHoldBareLowerCaseHosts) {
    // Matching lower-cases the host and drops "www.", so an entry written otherwise never
    // matches; only the ticket list may carry a path.
    for (const QStringList* list : {&Privacy::ticketSites(), &Privacy::conversationSites(),
                                    &Privacy::documentSites(), &Privacy::workSites()})
        for (const QString& entry : *list) {
            EXPECT_EQ(entry, entry.toLower());
            EXPECT_FALSE(entry.startsWith("www.") || entry.contains("://")) << entry;
            EXPECT_TRUE(!entry.contains('/') || list == &Privacy::ticketSites()) << entry;
        }
}

}  // namespace
