#include <gtest/gtest.h>

#include <QSet>
#include <cstdlib>
#include <ctime>

#include "signals/time.h"
#include "signals/ulid.h"

namespace {

const QString kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

TEST(TimeIso, WritesUtcWholeSecondsTruncatingFractions) {
    EXPECT_EQ(Time::iso(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Time::iso(1741079702.0), "2025-03-04T09:15:02Z");
    EXPECT_EQ(Time::iso(1741079702.999), "2025-03-04T09:15:02Z");
    EXPECT_EQ(Time::iso(1741079759.9999), "2025-03-04T09:15:59Z");
}

TEST(Ulid, TimePartEncodesMillisecondsAndRandomPartUsesTheAlphabet) {
    EXPECT_TRUE(ULID::make(0).startsWith("0000000000"));
    EXPECT_TRUE(ULID::make(-5).startsWith("0000000000"));
    EXPECT_EQ(ULID::make(0.031).at(9), QChar('Z'));
    EXPECT_EQ(ULID::make(0.032).mid(8, 2), "10");
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString id = ULID::make(1741079702.5);
        ASSERT_EQ(id.size(), 26);
        for (QChar c : id) ASSERT_TRUE(kAlphabet.contains(c)) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200);  // the random part really varies
}

TEST(Ulid, LaterMillisecondsSortAfterEarlierOnes) {
    QString previous = ULID::make(1741079702.000);
    for (int ms = 1; ms < 2000; ms += 7) {
        const QString next = ULID::make(1741079702.0 + ms / 1000.0 + 0.0001);
        EXPECT_LT(previous, next);
        previous = next;
    }
}

class DayStringInZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        saved_ = tz ? std::optional<std::string>(tz) : std::nullopt;
    }
    void TearDown() override {
        if (saved_) setenv("TZ", saved_->c_str(), 1); else unsetenv("TZ");
        tzset();
    }
    static void use(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    std::optional<std::string> saved_;
};

TEST_F(DayStringInZone, UsesTheLocalCalendarDateNotUtc) {
    use("America/New_York");
    // 2024-12-31 23:30 in New York is 2025-01-01 04:30 UTC.
    EXPECT_EQ(dayString(1735705800.0), "2024-12-31");
    use("Asia/Tokyo");
    // 2024-12-31 23:30 UTC is already 2025-01-01 08:30 in Tokyo.
    EXPECT_EQ(dayString(1735687800.0), "2025-01-01");
}

}  // namespace
