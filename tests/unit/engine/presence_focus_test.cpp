// Presence, focus, suspension and resumption, the emission gate and the final flush.
#include "engine_harness.h"

namespace {

using PresenceFocus = EngineHarness;

TEST_F(PresenceFocus, ShortFocusReportsNoFocusButRoundedDwellAndRepeatsAreIgnored) {
    focus(at(9, 0, 0), kEditor);
    focus(at(9, 0, 1.5), kChat);
    const std::size_t logged = log.events().size();
    engine.appActivated(kChat.bundleId, kChat.appName);  // already in front: nothing at all
    EXPECT_EQ(log.events().size(), logged);
    focus(at(9, 1, 0), kEditor);

    const auto focuses = ofType("app.focus");
    ASSERT_EQ(focuses.size(), 1u);  // the 1.5 s editor focus leaves none
    EXPECT_EQ(field(focuses[0], "bundle_id"), JSONValue(kChat.bundleId));
    const auto switches = ofType("app.switch");
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_EQ(field(switches[0], "dwell_s"), JSONValue(2));  // 1.5 s, half away from zero
    EXPECT_EQ(field(switches[1], "dwell_s"), JSONValue(59));
}

TEST_F(PresenceFocus, LockWhileIdleReportsTheIdlePeriodAndResumesTheFocusOnce) {
    focus(at(9, 0), kEditor);
    advance(at(9, 10));
    engine.idleStarted(at(9, 8));
    advance(at(9, 12));
    engine.screenLocked();
    EXPECT_EQ(last("activity.presence", "state"), JSONValue("idle"));
    advance(at(9, 22));  // 10 minutes locked
    engine.screenUnlocked();
    EXPECT_EQ(last("activity.presence", "state"), JSONValue("locked"));
    flushAt(at(9, 23));
    EXPECT_EQ(last("work.day.summary", "breaks"), JSONValue(1));  // the lock, not the 4 minutes
    EXPECT_EQ(last("work.day.summary", "idle_s"), JSONValue(240 + 600));
    const auto focuses = ofType("app.focus");
    ASSERT_EQ(focuses.size(), 2u);
    EXPECT_EQ(field(focuses[1], "bundle_id"), JSONValue(kEditor.bundleId));
    EXPECT_EQ(field(focuses[1], "start"), JSONValue("2026-03-03T09:22:00Z"));
    EXPECT_EQ(last("window.context", "start"), JSONValue("2026-03-03T09:22:00Z"));
}

TEST_F(PresenceFocus, ResumingAfterLockDoesNotPairTheAppWithAnotherAppsWindow) {
    focus(at(9, 0), kEditor);
    advance(at(9, 1));
    engine.appActivated(kChat.bundleId, kChat.appName);  // locked before its window was polled
    advance(at(9, 2));
    engine.screenLocked();
    advance(at(9, 5));
    engine.screenUnlocked();
    flushAt(at(9, 6));
    EXPECT_EQ(last("app.focus", "bundle_id"), JSONValue(kChat.bundleId));
    EXPECT_EQ(ofType("app.switch").size(), 1u);  // only editor -> chat, no chat -> editor
}

// The one test of the emission gate.
TEST_F(PresenceFocus, GateDropsPausedDisabledAndNeverProducedTypes) {
    config.enabledSignals = {
        {"process.step", true}, {"interaction.friction", true}, {"app.focus", false}};
    focus(at(9, 0), kEditor);
    keys(at(9, 0, 10), 12, 0.25);  // input.pattern is missing from the map: off
    flushAt(at(9, 5));
    EXPECT_TRUE(ofType("app.focus").empty());
    EXPECT_TRUE(ofType("input.pattern").empty());
    EXPECT_FALSE(ofType("window.context").empty());
    for (const Signal& s : emitted) {
        EXPECT_NE(s.type, "process.step");
        EXPECT_NE(s.type, "interaction.friction");
    }

    emitted.clear();
    config.enabledSignals = {{"input.pattern", true}};
    config.paused = true;  // wins over every switch
    engine.start();
    focus(at(9, 6), kChat);
    keys(at(9, 6, 10), 12, 0.25);
    flushAt(at(9, 7));
    classifier.drain();
    EXPECT_TRUE(emitted.empty());
}

TEST_F(PresenceFocus, PauseKeepsInputInItsOwnBucket) {
    focus(at(9, 1), kEditor);
    keys(at(9, 2), 4, 0.5);
    flushAt(at(9, 3), "pause");
    EXPECT_EQ(last("activity.intensity", "window_start"), JSONValue("2026-03-03T09:00:00Z"));

    advance(at(9, 40));
    engine.start();
    engine.click();
    tickAt(at(9, 45));
    const auto buckets = ofType("activity.intensity");
    ASSERT_EQ(buckets.size(), 2u);
    EXPECT_EQ(field(buckets[1], "window_start"), JSONValue("2026-03-03T09:40:00Z"));
    EXPECT_EQ(field(buckets[1], "keystrokes"), JSONValue(0));
}

TEST_F(PresenceFocus, AFocusKeptByPauseIsNotResumedOverAnExcludedApplication) {
    focus(at(9, 0), kEditor);
    flushAt(at(9, 1), "pause");
    advance(at(9, 30));
    engine.start();
    focus(at(9, 30), kVault);  // in front when capture resumes
    advance(at(9, 35));
    engine.idleStarted(at(9, 32));
    keys(at(9, 40), 3, 0.25);  // ends idle; still the vault in front
    emitted.clear();
    flushAt(at(9, 41));
    EXPECT_TRUE(ofType("app.focus").empty());
    EXPECT_TRUE(ofType("activity.intensity").empty());  // the keys were not counted
}

TEST_F(PresenceFocus, StartOnAnotherDayBeginsWithFreshDayTallies) {
    focus(at(9, 0), kEditor);
    advance(at(9, 20));
    engine.screenLocked();  // a break on the old day
    advance(at(9, 30));
    engine.screenUnlocked();
    flushAt(at(9, 40), "pause");

    advance(at(9, 0) + 86400);
    engine.start();
    focus(at(9, 0, 1) + 86400, kChat);
    emitted.clear();
    flushAt(at(9, 1, 1) + 86400);
    const auto days = ofType("work.day.summary");
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(field(days[0], "date"), JSONValue("2026-03-04"));
    EXPECT_EQ(field(days[0], "breaks"), JSONValue(0));
    EXPECT_EQ(field(days[0], "idle_s"), JSONValue(0));
    EXPECT_EQ(field(days[0], "active_s"), JSONValue(61));
    EXPECT_EQ(field(days[0], "longest_focus_s"), JSONValue(60));
}

}  // namespace
