// Redaction: the order of the steps, each detector's sharp edges, and bad input.
#include <QSet>
#include <gtest/gtest.h>

#include "privacy/name_gazetteer.h"
#include "privacy/name_tagger.h"
#include "privacy/phone_detector.h"
#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

QString redact(const char* text) { return Privacy::redact(QString::fromUtf8(text)); }

TEST(Redaction, StepsInOrder) {
    // The e-mail step runs first, so the digits inside the address never become a number.
    EXPECT_EQ(redact("mail 4111111111111111@cards.example.com now"), "mail ⟨email⟩ now");
    // An IBAN is taken whole before the card and number steps see its digits.
    EXPECT_EQ(redact("to DE89370400440532013000."), "to ⟨iban⟩.");
    // Cards keep the text around them, separators and all.
    EXPECT_EQ(redact("card 4111 1111 1111 1111 ok"), "card ⟨card⟩ ok");
    EXPECT_EQ(redact("card 4111-1111-1111-1111-"), "card ⟨card⟩-");
    // A card-like group failing the Luhn check is left to later steps; its groups are short.
    EXPECT_EQ(redact("card 4111 1111 1111 1112 ok"), "card 4111 1111 1111 1112 ok");
    // ...but a long failing run becomes a number.
    EXPECT_EQ(redact("id 4111111111111112 ok"), "id ⟨number⟩ ok");
    // Twelve digits are never a card, even when they pass the Luhn check.
    EXPECT_EQ(redact("ref 4111 1111 1111"), "ref 4111 1111 1111");
    EXPECT_EQ(redact("order 1234567, code 123456"), "order ⟨number⟩, code 123456");
    EXPECT_EQ(redact("A plain sentence about the weather."), "A plain sentence about the weather.");
}

TEST(Redaction, InternationalAddressesAndLooselyWrittenNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        // A name in the local part goes with the address; so does any script, and punycode.
        {"an jürgen.müller@firma.de heute", "an ⟨email⟩ heute"},
        {"пишите иван.петров@пример.рф", "пишите ⟨email⟩"},
        {"to 田中@例え.テスト ok", "to ⟨email⟩ ok"},
        {"x info@xn--mller-kva.xn--p1ai y", "x ⟨email⟩ y"},
        // IBANs in lower case or with hyphens, when their checksum holds.
        {"iban de89 3704 0044 0532 0130 00.", "iban ⟨iban⟩."},
        {"iban DE89-3704-0044-0532-0130-00 ok", "iban ⟨iban⟩ ok"},
        {"iban gb29nwbk60161331926819", "iban ⟨iban⟩"},
        {"id ab12 cdef ghij klmn here", "id ab12 cdef ghij klmn here"},
        // Card numbers grouped with dots.
        {"card 4111.1111.1111.1111 ok", "card ⟨card⟩ ok"},
        {"ver 1.2.3.4 and 10.0.0.1", "ver 1.2.3.4 and 10.0.0.1"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(redact(input), QString::fromUtf8(expected)) << input;
    EXPECT_TRUE(Privacy::ibanChecksum(u"DE89 3704 0044 0532 0130 00"));
    EXPECT_FALSE(Privacy::ibanChecksum(u"DE88 3704 0044 0532 0130 00"));
}

TEST(Redaction, PhoneNumbersAcrossRegions) {
    EXPECT_EQ(redact("call +49 30 1234567."), "call ⟨phone⟩.");
    EXPECT_EQ(redact("(212) 555-0147 or 020 7946 0958"), "⟨phone⟩ or ⟨phone⟩");
    // Two numbers written next to each other are two findings.
    EXPECT_EQ(redact("Tel 030 12345678 030 87654321"), "Tel ⟨phone⟩ ⟨phone⟩");
    // Dates, IP addresses and bare digit runs are not phone numbers.
    EXPECT_EQ(redact("on 2024-05-14 from 192.168.100.200"), "on 2024-05-14 from 192.168.100.200");
    EXPECT_EQ(redact("PO 4155550132"), "PO ⟨number⟩");
    // Digits glued to letters are a code, not a number.
    EXPECT_EQ(redact("sku ab0301234567"), "sku ab0301234567");
}

TEST(Redaction, LocaleRegion) {
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    auto set = [](const char* all, const char* messages, const char* lang) {
        for (auto [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}})
            value ? qputenv(name, value) : qunsetenv(name);
    };
    set(nullptr, nullptr, nullptr);
    EXPECT_EQ(PhoneDetector::localeRegion(), "US");
    set(nullptr, "fr_FR.UTF-8", "de_DE.UTF-8");
    EXPECT_EQ(PhoneDetector::localeRegion(), "FR");
    set("nl_BE@euro", "fr_FR.UTF-8", nullptr);
    EXPECT_EQ(PhoneDetector::localeRegion(), "BE");
    set("C.UTF-8", nullptr, "de_DE.UTF-8");
    EXPECT_EQ(PhoneDetector::localeRegion(), "US");
    set(nullptr, "", "en_GB");
    EXPECT_EQ(PhoneDetector::localeRegion(), "GB");
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
    // The locale's region comes first, every region once.
    const QStringList regions = PhoneDetector::regions();
    EXPECT_EQ(regions.size(), QSet<QString>(regions.begin(), regions.end()).size());
    EXPECT_TRUE(regions.contains("NL"));
}

TEST(Redaction, NamesNeedContext) {
    const NameGazetteer names = NameGazetteer::fromText(
        u"g Anna\ng Will\ng Grace\ng Jonas\nf Schmidt\nf Turner\nf Berg\n");
    auto tagged = [&](const QString& text) {
        QStringList out;
        for (const TextRange& r : NameTagger::find(text, names)) out << text.mid(r.start, r.length());
        return out;
    };
    EXPECT_EQ(tagged("Anna Smithson said hi"), QStringList{"Anna Smithson"});
    EXPECT_EQ(tagged("Will Turner and Grace Schmidt"), (QStringList{"Will Turner", "Grace Schmidt"}));
    EXPECT_EQ(tagged("Will Update tomorrow. Grace Period"), QStringList());
    EXPECT_EQ(tagged("Anna, The Team"), QStringList());
    EXPECT_EQ(tagged("Anna The Great"), QStringList());
    EXPECT_EQ(tagged("Jonas van der Berg's laptop"), QStringList{"Jonas van der Berg"});
    EXPECT_EQ(tagged("Dr. Quimby and M. Durand, but not M Durand"), (QStringList{"Quimby", "Durand"}));
    EXPECT_EQ(tagged("Prof. Dr. Quimby"), QStringList{"Quimby"});
    EXPECT_EQ(tagged("Hi Anna! Hi Will!"), QStringList{"Anna"});
    EXPECT_EQ(tagged("Anna\nSchmidt"), QStringList());
    EXPECT_EQ(tagged("ANNA SCHMIDT"), QStringList());
    EXPECT_EQ(tagged("Anna-Lena Schmidt"), QStringList{"Anna-Lena Schmidt"});
}

TEST(Redaction, NamesOfManyScriptsAndTheChatForm) {
    const NameGazetteer names = NameGazetteer::fromText(
        u"g Chidi\nf Okonkwo\ng Αθανασια\nf Παπαδόπουλος\ng Иван\nf Петров\ng محمد\n"
        u"f العلي\nf 王\ng 伟\nf 佐藤\ng さくら\nf 김\ng 민준\nf Nguyễn\ng Minh\ng Ayşe\n"
        u"f Yılmaz\ng Anna\n");
    auto tagged = [&](const QString& text) {
        QStringList out;
        for (const TextRange& r : NameTagger::find(text, names)) out << text.mid(r.start, r.length());
        return out;
    };
    const std::pair<const char16_t*, QStringList> cases[] = {
        // Speaker lines: either word known is enough, a bracketed time may come first.
        {u"Chidi Obi: are you there?", {"Chidi Obi"}},
        {u"[09:14] Tunde Okonkwo: sent it", {"Tunde Okonkwo"}},
        {u"Anna: ok", {"Anna"}},
        {u"Action Items: review and ship", {}},
        {u"Wanjiru Kamau: sent it", {"Wanjiru Kamau"}},
        {u"Abdullah bin Salman: signed", {"Abdullah bin Salman"}},
        {u"Summer Sale: 40% off", {}},
        {u"see note: Chidi", {}},
        // What chat tools write after a person, known or not.
        {u"Xu Jing left the channel", {"Xu Jing"}},
        {u"Tomasz Wrona is typing", {"Tomasz Wrona"}},
        {u"Noble Numbat is out", {}},
        // Alphabets with capitals, accents optional either way.
        {u"Ευχαριστώ Αθανασία Παπαδόπουλος", {"Αθανασία Παπαδόπουλος"}},
        {u"Звонил Иван Петров", {"Иван Петров"}},
        // Family name first.
        {u"Họp với Nguyễn Minh chiều nay", {"Nguyễn Minh"}},
        {u"Yılmaz Ayşe aradı", {"Yılmaz Ayşe"}},
        // Without capitals: two known names together, or one after a greeting.
        {u"اتصل محمد العلي اليوم", {"محمد العلي"}},
        {u"مرحبا محمد", {"محمد"}},
        {u"محمد وصل", {}},
        // Han, Kana, Hangul: a whole run, or before an honorific.
        {u"联系王伟", {"王伟"}},
        {u"佐藤さんに連絡", {"佐藤"}},
        {u"さくらさん", {"さくら"}},
        {u"김민준님 안녕하세요", {"김민준"}},
        {u"国王伟大", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(tagged(QString::fromUtf16(text)), expected) << QString::fromUtf16(text).toStdString();
}

TEST(Redaction, AddressesNeedAStreet) {
    EXPECT_EQ(redact("Top 10 Places to Visit"), "Top 10 Places to Visit");
    EXPECT_EQ(redact("Chapter 5 The Road Ahead"), "Chapter 5 The Road Ahead");
    EXPECT_EQ(redact("Ship to 4500 Industrial Blvd, Suite 210, Dallas, TX 75207 today"),
              "Ship to ⟨address⟩ today");
    EXPECT_EQ(redact("Spring 2024 release"), "Spring 2024 release");
}

TEST(Redaction, BadInputNeverBreaksTokens) {
    // Lone surrogates become U+FFFD; valid pairs survive.
    const QString lone = QStringLiteral("a ") + QChar(0xD800) + QStringLiteral(" b ") + QChar(0xDC00) +
                         QStringLiteral(" \U0001F600");
    EXPECT_EQ(Privacy::redact(lone), QStringLiteral("a \uFFFD b \uFFFD \U0001F600"));
    // Invalid UTF-8 arrives as U+FFFD from the decoder and is kept.
    EXPECT_EQ(Privacy::redact(QString::fromUtf8("x\xff\xfe y@z.example.com")), QStringLiteral("x\uFFFD\uFFFD ⟨email⟩"));
    // Combining marks, separators and digits alone.
    EXPECT_EQ(Privacy::redact(QString(200, QChar(0x0301))), QString(200, QChar(0x0301)));
    EXPECT_EQ(Privacy::redact(QString(500, u'-')), QString(500, u'-'));
    EXPECT_EQ(Privacy::redact(QString()), QString());
    // Digits with combining marks are not long numbers split in half.
    const QString marked = QString::fromUtf8("1\u03012\u03013\u03014\u03015\u03016\u03017\u0301");
    EXPECT_EQ(Privacy::redact(marked), marked);
}

// Every token in the output is whole: no step ever rewrites the inside of an earlier token.
void expectWholeTokens(const QString& out) {
    const QString open = QStringLiteral("\u27E8");
    const QString close = QStringLiteral("\u27E9");
    static const QSet<QString> kinds{"email", "iban", "card", "phone", "address", "number", "name"};
    qsizetype at = 0;
    while ((at = out.indexOf(open, at)) >= 0) {
        const qsizetype end = out.indexOf(close, at);
        ASSERT_GT(end, at);
        EXPECT_TRUE(kinds.contains(out.mid(at + 1, end - at - 1))) << out.mid(at, 20).toStdString();
        at = end;
    }
}

TEST(Redaction, LargeAndAdversarialInputsStayLinear) {
    QString digitsAndSpaces;
    for (int i = 0; i < 50000; ++i) digitsAndSpaces += QChar(u'0' + i % 10) + QString((i % 7) ? "" : " ");
    digitsAndSpaces.truncate(100000);
    QString mixed;
    for (int i = 0; i < 25000; ++i) mixed += QStringLiteral("1 2 ");
    const QString inputs[] = {
        digitsAndSpaces,
        mixed,
        QString(100000, u'7'),
        QString(1 << 20, u'a') + QStringLiteral("@example.com"),
        QString(200000, u'A') + QStringLiteral("straße 5"),
        QStringLiteral("Anna ").repeated(100000),
        QStringLiteral("+49 30 1234567 / ").repeated(20000),
        QStringLiteral("DE89 3704 0044 0532 0130 00 ").repeated(20000),
    };
    for (const QString& input : inputs) {
        // Backtracking or quadratic scans would make this take hours; the test time shows it.
        expectWholeTokens(Privacy::redact(input));
    }
    // A megabyte of address local part is still one address.
    EXPECT_EQ(Privacy::redact(QString(1 << 20, u'a') + QStringLiteral("@example.com")), u"⟨email⟩");
    EXPECT_EQ(Privacy::redact(QString(100000, u'7')), u"⟨number⟩");
}

}  // namespace
