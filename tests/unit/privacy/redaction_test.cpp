// Redaction of what a line of redaction_rules.txt cannot hold: the locale's phone region, bad
// UTF-16 and huge or adversarial inputs.
#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QSet>

#include "privacy/phone_detector.h"
#include "privacy/privacy.h"
#include "qt_printers.h"

namespace {

TEST(Redaction, PhoneRegionComesFromTheLocaleFirst) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    const QByteArray saved[] = {qgetenv(names[0]), qgetenv(names[1]), qgetenv(names[2])};
    const struct {
        const char* values[3];
        const char* region;
    } cases[] = {
        {{nullptr, nullptr, nullptr}, "US"},
        {{nullptr, "fr_FR.UTF-8", "de_DE.UTF-8"}, "FR"},
        {{"nl_BE@euro", "fr_FR.UTF-8", nullptr}, "BE"},
        {{"C.UTF-8", nullptr, "de_DE.UTF-8"}, "US"},
        {{nullptr, "", "en_GB"}, "GB"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i)
            c.values[i] ? qputenv(names[i], c.values[i]) : qunsetenv(names[i]);
        EXPECT_EQ(PhoneDetector::localeRegion(), c.region);
    }
    for (int i = 0; i < 3; ++i) qputenv(names[i], saved[i]);
    const QStringList regions = PhoneDetector::regions();
    EXPECT_EQ(regions.size(), QSet<QString>(regions.begin(), regions.end()).size());
}

TEST(Redaction, BadAndHugeInputsNeverBreakTokens) {
    // Lone surrogates become U+FFFD; valid pairs survive.
    const QString lone = QStringLiteral("a ") + QChar(0xD800) + QStringLiteral(" b ") +
                         QChar(0xDC00) + QStringLiteral(" \U0001F600");
    EXPECT_EQ(Privacy::redact(lone), QStringLiteral("a \uFFFD b \uFFFD \U0001F600"));
    EXPECT_EQ(Privacy::redact(QString()), QString());

    QString digitsAndSpaces;
    for (int i = 0; i < 50000; ++i)
        digitsAndSpaces += QChar(u'0' + i % 10) + QString((i % 7) ? "" : " ");
    const QString inputs[] = {
        digitsAndSpaces,
        QStringLiteral("1 2 ").repeated(25000),
        QString(200000, u'A') + QStringLiteral("straße 5"),
        QStringLiteral("Anna ").repeated(100000),
        QStringLiteral("+49 30 1234567 / ").repeated(20000),
        QStringLiteral("DE89 3704 0044 0532 0130 00 ").repeated(20000),
    };
    // Backtracking or quadratic scans would make this take hours; a token is always whole.
    static const QRegularExpression broken(
        QStringLiteral("⟨(?!(email|iban|card|phone|address|number|name)⟩)"));
    for (const QString& input : inputs) {
        const QString out = Privacy::redact(input);
        EXPECT_FALSE(broken.match(out).hasMatch())
            << out.mid(broken.match(out).capturedStart(), 20);
    }
    EXPECT_EQ(Privacy::redact(QString(1 << 20, u'a') + QStringLiteral("@example.com")),
              QStringLiteral("⟨email⟩"));
    EXPECT_EQ(Privacy::redact(QString(100000, u'7')), QStringLiteral("⟨number⟩"));
}

}  // namespace
