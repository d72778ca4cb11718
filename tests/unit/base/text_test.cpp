#include <gtest/gtest.h>

#include "base/graphemes.h"
#include "base/text_trim.h"

TEST(Text, TrimTakesEverySpaceAndTabButNoLineBreak) {
    const std::pair<QString, QString> cases[] = {
        // Pasted from a web page: no-break and em spaces are spaces too; inner ones stay.
        {" \t\u00a0a \u00a0b\u2003\t ", "a \u00a0b"},
        {"\nhttps://x.org/\r\n", "\nhttps://x.org/\r\n"},
        {" \t\u3000", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Text::trimHorizontalSpace(in), out) << qPrintable(in);
}

TEST(Graphemes, CutsNeverSplitACharacter) {
    const QString text = QStringLiteral("e\u0301t\u00e9 \U0001F600!");  // e + accent, emoji
    EXPECT_EQ(Graphemes::count(text), 6);
    EXPECT_EQ(Graphemes::left(text, 1), QStringLiteral("e\u0301"));
    EXPECT_EQ(Graphemes::left(text, 5), QStringLiteral("e\u0301t\u00e9 \U0001F600"));
    EXPECT_EQ(Graphemes::left(text, 50), text);
    EXPECT_EQ(Graphemes::left(text, 0), QString());
}
