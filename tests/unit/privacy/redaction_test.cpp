// Redaction of what a line of redaction_rules.txt cannot hold: the locale's phone region, bad
// UTF-16 and huge or adversarial inputs.
#include <gtest/gtest.h>
#include <QSet>

#include "privacy/phone_detector.h"
#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

TEST(Redaction, PhoneRegionComesFromTheLocaleFirst) {
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    const struct {
        const char *all, *messages, *lang, *region;
    } cases[] = {
        {nullptr, nullptr, nullptr, "US"},
        {nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", "FR"},
        {"nl_BE@euro", "fr_FR.UTF-8", nullptr, "BE"},
        {"C.UTF-8", nullptr, "de_DE.UTF-8", "US"},
        {nullptr, "", "en_GB", "GB"},
    };
    for (const auto& c : cases) {
        for (auto [name, value] :
             {std::pair{"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}})
            value ? qputenv(name, value) : qunsetenv(name);
        EXPECT_EQ(PhoneDetector::localeRegion(), c.region);
    }
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
    const QStringList regions = PhoneDetector::regions();
    EXPECT_EQ(regions.size(), QSet<QString>(regions.begin(), regions.end()).size());
}

TEST(Redaction, BadInputNeverBreaksTokens) {
    // Lone surrogates become U+FFFD; valid pairs survive.
    const QString lone = QStringLiteral("a ") + QChar(0xD800) + QStringLiteral(" b ") +
                         QChar(0xDC00) + QStringLiteral(" \U0001F600");
    EXPECT_EQ(Privacy::redact(lone), QStringLiteral("a \uFFFD b \uFFFD \U0001F600"));
    EXPECT_EQ(Privacy::redact(QString::fromUtf8("x\xff\xfe y@z.example.com")),
              QStringLiteral("x\uFFFD\uFFFD ⟨email⟩"));
    EXPECT_EQ(Privacy::redact(QString(200, QChar(0x0301))), QString(200, QChar(0x0301)));
    EXPECT_EQ(Privacy::redact(QString()), QString());
    // Digits with combining marks are not long numbers split in half.
    const QString marked = QString::fromUtf8("1\u03012\u03013\u03014\u03015\u03016\u03017\u0301");
    EXPECT_EQ(Privacy::redact(marked), marked);
}

TEST(Redaction, LargeAndAdversarialInputsStayLinearAndTokensWhole) {
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
    static const QSet<QString> kinds{"email", "iban", "card", "phone", "address", "number", "name"};
    // Backtracking or quadratic scans would make this take hours.
    for (const QString& input : inputs) {
        const QString out = Privacy::redact(input);
        for (qsizetype at = 0; (at = out.indexOf(QChar(0x27E8), at)) >= 0; ++at) {
            const qsizetype end = out.indexOf(QChar(0x27E9), at);
            ASSERT_GT(end, at);
            EXPECT_TRUE(kinds.contains(out.mid(at + 1, end - at - 1)))
                << out.mid(at, 20).toStdString();
        }
    }
    EXPECT_EQ(Privacy::redact(QString(1 << 20, u'a') + QStringLiteral("@example.com")), u"⟨email⟩");
    EXPECT_EQ(Privacy::redact(QString(100000, u'7')), u"⟨number⟩");
}

}  // namespace
