// Presence, focus, suspension and resumption, the emission gate and the final flush.
#include "engine_harness.h"

namespace {

using PresenceFocus = EngineHarness;

const WindowObservation kEditor = EngineHarness::window("com.microsoft.VSCode", "main.cpp - Code");
const WindowObservation kChat = EngineHarness::window("com.tinyspeck.slackmacgap", "general - Slack");
const WindowObservation kVault = EngineHarness::window("com.bitwarden.desktop", "Bitwarden");

TEST_F(PresenceFocus, ShortFocusReportsNoFocusButRoundedDwellAndRepeatsAreIgnored) {
    e().start();
    focus(at(9, 0, 0), kEditor);
    focus(at(9, 0, 1.5), kChat);
    const std::size_t logged = log.events().size();
    e().appActivated(kChat.bundleId, kChat.appName);  // already in front: nothing at all
    EXPECT_EQ(log.events().size(), logged);
    focus(at(9, 1, 0), kEditor);

    const auto focuses = ofType("app.focus");
    ASSERT_EQ(focuses.size(), 1u);  // the 1.5 s editor focus leaves none
    EXPECT_EQ(text(focuses[0], "bundle_id"), kChat.bundleId);
    const auto switches = ofType("app.switch");
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_EQ(integer(switches[0], "dwell_s"), 2);  // 1.5 s, half away from zero
    EXPECT_EQ(integer(switches[1], "dwell_s"), 59);
}

TEST_F(PresenceFocus, ExcludedApplicationBreaksNoSwitchAndTheSameWindowOpensAgain) {
    e().start();
    focus(at(9, 0), kEditor);
    focus(at(9, 1), kVault);
    EXPECT_FALSE(e().focusApp.has_value());
    focus(at(9, 2), kEditor);  // back to the very same window
    advance(at(9, 3));
    e().flushAll("quit");

    EXPECT_TRUE(ofType("app.switch").empty());
    const auto contexts = ofType("window.context");
    ASSERT_EQ(contexts.size(), 2u);
    EXPECT_EQ(text(contexts[1], "start"), "2026-03-03T09:02:00Z");
    for (const Signal& s : emitted) EXPECT_NE(text(s, "bundle_id"), kVault.bundleId);
}

TEST_F(PresenceFocus, IdleDetectedLateClosesTheActivePeriodWhenInputStopped) {
    e().start();
    focus(at(9, 0), kEditor);
    advance(at(10, 3));
    e().idleStarted(at(10, 0));
    const auto presence = ofType("activity.presence");
    ASSERT_EQ(presence.size(), 1u);
    EXPECT_EQ(text(presence[0], "end"), "2026-03-03T10:00:00Z");
    EXPECT_EQ(text(ofType("app.focus").at(0), "end"), "2026-03-03T10:00:00Z");

    advance(at(10, 5));  // exactly 300 s idle: a break
    e().idleEnded();
    EXPECT_EQ(e().breaks, 1);
    EXPECT_DOUBLE_EQ(e().idleSecs, 300);
    // Focus and window come back as a new focus and context, without a switch.
    ASSERT_TRUE(e().focusApp.has_value());
    EXPECT_EQ(e().focusApp->bundle, kEditor.bundleId);
    EXPECT_TRUE(e().ctx.has_value());
    EXPECT_TRUE(ofType("app.switch").empty());
}

TEST_F(PresenceFocus, LockWhileIdleReportsTheIdlePeriodAndResumesTheFocusOnce) {
    e().start();
    focus(at(9, 0), kEditor);
    advance(at(9, 10));
    e().idleStarted(at(9, 8));
    advance(at(9, 12));
    e().screenLocked();
    const auto presence = ofType("activity.presence");
    ASSERT_EQ(presence.size(), 2u);
    EXPECT_EQ(text(presence[1], "state"), "idle");
    ASSERT_TRUE(e().suspended.has_value());  // still the editor and its window
    EXPECT_EQ(e().suspended->obs, kEditor);

    advance(at(9, 22));  // 10 minutes locked
    e().screenUnlocked();
    EXPECT_EQ(text(ofType("activity.presence").back(), "state"), "locked");
    EXPECT_EQ(e().breaks, 1);  // the 4-minute idle period is no break, the lock is
    EXPECT_DOUBLE_EQ(e().idleSecs, 240 + 600);
    EXPECT_EQ(e().focusApp->bundle, kEditor.bundleId);
    EXPECT_EQ(e().lastObservation, kEditor);
}

TEST_F(PresenceFocus, ResumingAfterLockDoesNotPairTheAppWithAnotherAppsWindow) {
    e().start();
    focus(at(9, 0), kEditor);
    advance(at(9, 1));
    e().appActivated(kChat.bundleId, kChat.appName);  // locked before its window was polled
    advance(at(9, 2));
    e().screenLocked();
    advance(at(9, 5));
    e().screenUnlocked();

    EXPECT_EQ(e().focusApp->bundle, kChat.bundleId);
    EXPECT_EQ(ofType("app.switch").size(), 1u);  // only editor -> chat, no chat -> editor
}

TEST_F(PresenceFocus, GateDropsPausedDisabledAndNeverProducedTypes) {
    config.enabledSignals = {{"process.step", true}, {"interaction.friction", true},
                             {"app.focus", false}};
    e().start();
    focus(at(9, 0), kEditor);
    keys(at(9, 0, 10), 12, 0.25);  // input.pattern is missing from the map: off
    advance(at(9, 5));
    e().flushAll("quit");
    EXPECT_TRUE(ofType("app.focus").empty());
    EXPECT_TRUE(ofType("input.pattern").empty());
    EXPECT_FALSE(ofType("window.context").empty());
    for (const Signal& s : emitted) {
        EXPECT_NE(s.type, "process.step");
        EXPECT_NE(s.type, "interaction.friction");
        EXPECT_EQ(s.id.size(), 26);
    }

    emitted.clear();
    config.enabledSignals = {{"input.pattern", true}};
    config.paused = true;  // wins over every switch
    e().start();
    focus(at(9, 6), kChat);
    keys(at(9, 6, 10), 12, 0.25);
    advance(at(9, 7));
    e().flushAll("quit");
    classifier.drain();
    EXPECT_TRUE(emitted.empty());
}

TEST_F(PresenceFocus, FlushAllClosesEverythingInOrder) {
    e().start();
    focus(at(9, 0), kEditor);
    keys(at(9, 0, 5), 3, 0.5);
    advance(at(9, 0, 40));
    e().click();
    advance(at(9, 1));
    e().flushAll("quit");
    const std::vector<QString> expected = {"activity.presence", "window.context", "app.focus",
                                           "task.episode",      "activity.intensity",
                                           "app.usage.summary", "work.day.summary"};
    EXPECT_EQ(types(), expected);
    EXPECT_EQ(text(ofType("task.episode")[0], "end_reason"), "quit");
    EXPECT_TRUE(ofType("work.day.summary")[0].fields.at("partial") == JSONValue(true));
    classifier.drain();  // the 60 s context is classified afterwards
    EXPECT_EQ(emitted.back().type, "work.category");
}

TEST_F(PresenceFocus, PauseKeepsInputInItsOwnBucketAndResumesTheFocus) {
    e().start();
    focus(at(9, 1), kEditor);
    keys(at(9, 2), 4, 0.5);
    advance(at(9, 3));
    e().flushAll("pause");
    ASSERT_EQ(ofType("activity.intensity").size(), 1u);
    EXPECT_EQ(text(ofType("activity.intensity")[0], "window_start"), "2026-03-03T09:00:00Z");
    EXPECT_EQ(e().suspended->app.bundle, kEditor.bundleId);

    advance(at(9, 40));
    e().start();
    e().click();
    tickAt(at(9, 45));
    const auto buckets = ofType("activity.intensity");
    ASSERT_EQ(buckets.size(), 2u);
    EXPECT_EQ(text(buckets[1], "window_start"), "2026-03-03T09:40:00Z");
    EXPECT_EQ(integer(buckets[1], "keystrokes"), 0);
}

TEST_F(PresenceFocus, AFocusKeptByPauseIsNotResumedOverAnExcludedApplication) {
    e().start();
    focus(at(9, 0), kEditor);
    advance(at(9, 1));
    e().flushAll("pause");
    advance(at(9, 30));
    e().start();
    focus(at(9, 30), kVault);  // in front when capture resumes
    advance(at(9, 35));
    e().idleStarted(at(9, 32));
    keys(at(9, 40), 3, 0.25);  // ends idle; still the vault in front
    EXPECT_FALSE(e().focusApp.has_value());
    EXPECT_EQ(e().bKeys, 0);
}

TEST_F(PresenceFocus, StartOnAnotherDayBeginsWithFreshDayTallies) {
    e().start();
    focus(at(9, 0), kEditor);
    advance(at(9, 20));
    e().screenLocked();  // a break on the old day
    advance(at(9, 30));
    e().screenUnlocked();
    advance(at(9, 40));
    e().flushAll("pause");
    ASSERT_EQ(e().breaks, 1);

    advance(at(9, 0) + 86400);
    e().start();
    focus(at(9, 0, 1) + 86400, kChat);
    advance(at(9, 1, 1) + 86400);
    emitted.clear();
    e().flushAll("quit");
    const auto days = ofType("work.day.summary");
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(text(days[0], "date"), "2026-03-04");
    EXPECT_EQ(integer(days[0], "breaks"), 0);
    EXPECT_EQ(integer(days[0], "idle_s"), 0);
    EXPECT_EQ(integer(days[0], "active_s"), 61);
    EXPECT_EQ(integer(days[0], "longest_focus_s"), 60);
}

}  // namespace
