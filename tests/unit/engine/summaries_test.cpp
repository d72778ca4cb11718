// Hourly usage and daily summaries: late ticks and a midnight off the hour.
#include "engine_harness.h"

namespace {

using Summaries = EngineHarness;
class SummariesInKolkata : public EngineHarness {
  protected:
    // Local midnight is 18:30 UTC.
    SummariesInKolkata() : EngineHarness(false) { useTimeZone("Asia/Kolkata"); }
};

// Active seconds by application of an hourly summary.
std::map<QString, qint64> activeSeconds(const Signal& summary) {
    std::map<QString, qint64> out;
    for (const JSONValue& app : *summary.fields.at("apps").array())
        out[*app.object()->at("bundle_id").string()] = *app.object()->at("active_s").integer();
    return out;
}

TEST_F(Summaries, ALateTickCountsTheOpenFocusOnlyUpToTheHoursEnd) {
    focus(at(9, 0), kEditor);
    for (TimePoint t = at(9, 0, 5); t < at(10, 0); t += 5) tickAt(t);
    tickAt(at(10, 0, 4));  // the tick due at the hour comes late
    for (TimePoint t = at(10, 0, 5); t <= at(11, 0); t += 5) tickAt(t);
    const auto hours = ofType("app.usage.summary");
    ASSERT_EQ(hours.size(), 2u);
    EXPECT_EQ(activeSeconds(hours[0]).at(kEditor.bundleId), 3600);  // not 3604
    EXPECT_EQ(activeSeconds(hours[1]).at(kEditor.bundleId), 3600);
}

TEST_F(SummariesInKolkata, MidnightOffTheHourSplitsTheActivePeriodOnce) {
    advance(at(18, 0));
    engine.start();
    focus(at(18, 0), kEditor);
    for (TimePoint t = at(18, 0, 5); t <= at(19, 10); t += 5) {
        tickAt(t);
        if (t == at(18, 45)) engine.click();  // the new day needs activity to be summarised
    }
    engine.flushAll("quit");
    const auto days = ofType("work.day.summary");
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(field(days[0], "date"), JSONValue("2026-03-03"));
    EXPECT_EQ(field(days[1], "date"), JSONValue("2026-03-04"));
    EXPECT_EQ(field(days[0], "active_s"), JSONValue(30 * 60));
    EXPECT_EQ(field(days[1], "active_s"), JSONValue(40 * 60));
}

}  // namespace
