#include <gtest/gtest.h>

#include "base/graphemes.h"
#include "base/text_trim.h"

TEST(Text, TrimTakesEverySpaceAndTabButNoLineBreak) {
    const struct {
        QString in, out;
    } cases[] = {
        {QStringLiteral(" \thttps://x.org/\t "), QStringLiteral("https://x.org/")},
        // Pasted from a web page: no-break and em spaces are spaces too.
        {QStringLiteral("\u00a0https://x.org/\u2003"), QStringLiteral("https://x.org/")},
        {QStringLiteral("\nhttps://x.org/\r\n"), QStringLiteral("\nhttps://x.org/\r\n")},
        {QStringLiteral(" a \u00a0b "), QStringLiteral("a \u00a0b")},
        {QStringLiteral(" \t\u3000"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text::trimHorizontalSpace(c.in), c.out) << qPrintable(c.in);
}

TEST(Graphemes, CutsNeverSplitACharacter) {
    const QString text = QStringLiteral("e\u0301t\u00e9 \U0001F600!");  // e + accent, emoji
    EXPECT_EQ(Graphemes::count(text), 6);
    EXPECT_EQ(Graphemes::left(text, 1), QStringLiteral("e\u0301"));
    EXPECT_EQ(Graphemes::left(text, 5), QStringLiteral("e\u0301t\u00e9 \U0001F600"));
    EXPECT_EQ(Graphemes::left(text, 50), text);
    EXPECT_EQ(Graphemes::left(text, 0), QString());
}
