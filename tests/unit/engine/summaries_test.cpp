// Hourly usage and daily summaries: hour splits, late ticks, day rollovers.
#include "engine_harness.h"

namespace {

using Summaries = EngineHarness;

std::map<QString, std::pair<qint64, qint64>> appsOf(const Signal& summary) {
    std::map<QString, std::pair<qint64, qint64>> out;
    for (const JSONValue& app : *summary.fields.at("apps").array()) {
        const JSONObject& o = *app.object();
        out[*o.at("bundle_id").string()] = {*o.at("active_s").integer(),
                                            *o.at("focus_count").integer()};
    }
    return out;
}

TEST_F(Summaries, ALateTickCountsTheOpenFocusOnlyUpToTheHoursEnd) {
    e().start();
    focus(at(9, 0), kEditor);
    for (TimePoint t = at(9, 0, 5); t < at(10, 0); t += 5) tickAt(t);
    tickAt(at(10, 0, 4));  // the tick due at the hour comes late
    for (TimePoint t = at(10, 0, 5); t <= at(11, 0); t += 5) tickAt(t);
    const auto hours = ofType("app.usage.summary");
    ASSERT_EQ(hours.size(), 2u);
    EXPECT_EQ(appsOf(hours[0]).at(kEditor.bundleId).first, 3600);  // not 3604
    EXPECT_EQ(appsOf(hours[1]).at(kEditor.bundleId).first, 3600);
}

TEST_F(Summaries, AFocusOpenedAfterTheHourAddsNothingToIt) {
    e().start();
    focus(at(9, 30), kEditor);
    focus(at(10, 0, 2), kChat);  // before the late tick
    tickAt(at(10, 0, 4));
    focus(at(11, 0), kEditor);
    tickAt(at(11, 0, 1));
    const auto hours = ofType("app.usage.summary");
    ASSERT_EQ(hours.size(), 2u);
    const auto nine = appsOf(hours[0]);
    EXPECT_EQ(nine.count(kChat.bundleId), 0u);
    EXPECT_EQ(nine.at(kEditor.bundleId).first, 1802);  // the ended focus, as it was closed
    EXPECT_EQ(appsOf(hours[1]).at(kChat.bundleId).first, 3598);
}

TEST_F(Summaries, SleepOverADayReportsOnlyTheDayThatEnded) {
    e().start();
    focus(at(18, 0), kEditor);
    advance(at(18, 30));
    e().screenLocked();
    tickAt(at(8, 0) + 2 * 86400);  // Thursday morning
    e().screenUnlocked();
    const auto days = ofType("work.day.summary");
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(text(days[0], "date"), "2026-03-03");
    EXPECT_TRUE(days[0].fields.at("partial") == JSONValue(false));
    EXPECT_EQ(integer(days[0], "active_s"), 9 * 3600 + 1800);
}

TEST_F(Summaries, MidnightOffTheHourSplitsTheActivePeriodOnce) {
    const ScopedTimeZone india("Asia/Kolkata");  // local midnight is 18:30 UTC
    advance(at(18, 0));
    e().start();
    focus(at(18, 0), kEditor);
    for (TimePoint t = at(18, 0, 5); t <= at(19, 10); t += 5) {
        tickAt(t);
        if (t == at(18, 45)) e().click();  // the new day needs activity to be summarised
    }
    e().flushAll("quit");
    const auto days = ofType("work.day.summary");
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(text(days[0], "date"), "2026-03-03");
    EXPECT_EQ(text(days[1], "date"), "2026-03-04");
    EXPECT_EQ(integer(days[0], "active_s"), 30 * 60);
    EXPECT_EQ(integer(days[1], "active_s"), 40 * 60);
}

}  // namespace
