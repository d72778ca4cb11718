#include <gtest/gtest.h>

#include <QRegularExpression>

#include "signals/time.h"
#include "signals/ulid.h"

namespace {

TEST(Time, IsoIsUtcWholeSecondsWithFractionsDropped) {
    EXPECT_EQ(Time::iso(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Time::iso(1741079702.999), "2025-03-04T09:15:02Z");
    EXPECT_EQ(Time::iso(1741079759.9999), "2025-03-04T09:15:59Z");
}

TEST(Ulid, EncodesMillisecondsInCrockfordBase32AndSortsByTime) {
    EXPECT_TRUE(ULID::make(-5).startsWith("0000000000"));
    EXPECT_EQ(ULID::make(0.031).left(10), "000000000Z");
    EXPECT_EQ(ULID::make(0.032).left(10), "0000000010");
    const QRegularExpression crockford("^[0-9A-HJKMNP-TV-Z]{26}$");
    QString previous = ULID::make(1741079702.000);
    for (int ms = 1; ms < 2000; ms += 7) {
        const QString next = ULID::make(1741079702.0 + ms / 1000.0 + 0.0001);
        EXPECT_TRUE(crockford.match(next).hasMatch()) << next.toStdString();
        EXPECT_LT(previous, next);
        EXPECT_NE(next.mid(10), previous.mid(10));  // the random part varies
        previous = next;
    }
}

}  // namespace
