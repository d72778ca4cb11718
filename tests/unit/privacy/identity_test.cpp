// Title classes, hosts, document identities and coded identifiers.
#include <gtest/gtest.h>
#include <QDir>

#include "privacy/privacy.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

std::optional<QString> unlessEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

TEST(TitleClass, FirstRuleThatHoldsDecides) {
    for (const QStringList& row : dataRows("privacy/title_class.tsv", 5)) {
        const auto url = unlessEmpty(row[2]);
        EXPECT_EQ(
            Privacy::titleClass(row[0], row[1], Privacy::host(url), url, row[3] == "document"),
            row[4])
            << row;
    }
}

TEST(Hosts, HostOfUrlAndRegistrableDomain) {
    for (const QStringList& row : dataRows("privacy/hosts.tsv", 3)) {
        EXPECT_EQ(Privacy::host(row[0]), unlessEmpty(row[1])) << row[0];
        EXPECT_EQ(Privacy::domain(unlessEmpty(row[1])), unlessEmpty(row[2])) << row[1];
    }
    EXPECT_EQ(Privacy::host(QString()), std::nullopt);
    EXPECT_EQ(Privacy::host(std::nullopt), std::nullopt);
}

TEST(DocumentIdentity, FromThePathElseTheUrlElseTheTitle) {
    auto found = [](const std::optional<QString>& path, const QStringList& row) {
        const auto doc = Privacy::documentIdentity(path, unlessEmpty(row[1]), row[2], row[3]);
        return doc ? doc->identity + u' ' + doc->docClass : QStringLiteral("none");
    };
    for (QStringList row : dataRows("privacy/document_identity.tsv", 5)) {
        row.replaceInStrings("$HOME", QDir::homePath());
        EXPECT_EQ(found(unlessEmpty(row[0]), row), row[4]) << row;
    }
    // An empty path is no path.
    EXPECT_EQ(found(QString(), {"", "", "Plan.pdf", "document"}), "title:Plan.pdf document");
}

TEST(CodedIdentifier, SaltedTruncatedHmac) {
    const QString salt = QStringLiteral("0123456789abcdef0123456789abcdef");
    // Reference values from an independent HMAC-SHA256 implementation.
    EXPECT_EQ(Privacy::hash("Quarterly Report.xlsx - Excel", salt, Privacy::titlePrefix),
              "th_c47228f03ab80f6d");
    EXPECT_EQ(Privacy::hash("anna", salt, Privacy::subjectPrefix), "sub_d662e85040070d4d");
    EXPECT_EQ(Privacy::hash(QStringLiteral("Ünïcødé ✓"), salt, Privacy::documentPrefix),
              "dh_dbe68f9981639201");
    EXPECT_NE(Privacy::hash("anna", QStringLiteral("fedcba9876543210fedcba9876543210"), u"sub_"),
              Privacy::hash("anna", salt, u"sub_"));
}

TEST(Checksums, LuhnAndIban) {
    // Other decimal digits count by value (Arabic-Indic zeros); superscripts are no digits.
    for (const char16_t* valid : {u"4111111111111111", u"79927398713", u"\u0660\u0660"})
        EXPECT_TRUE(Privacy::luhn(valid)) << QString::fromUtf16(valid);
    for (const char16_t* invalid : {u"79927398710", u"4111 1111 1111 1111", u"", u"\u00B2\u00B2"})
        EXPECT_FALSE(Privacy::luhn(invalid)) << QString::fromUtf16(invalid);
    EXPECT_TRUE(Privacy::ibanChecksum(u"DE89 3704 0044 0532 0130 00"));
    EXPECT_FALSE(Privacy::ibanChecksum(u"DE88 3704 0044 0532 0130 00"));
}

}  // namespace
