// Typing bursts, intensity buckets and input while an excluded application or window is in front.
#include <QTest>

#include "engine_harness.h"

namespace {

class Input : public EngineHarness {
protected:
    Input() {
        config.enabledSignals[QStringLiteral("input.pattern")] = true;
        e().start();
        focus(at(9, 0), kEditor);
    }
    const WindowObservation kEditor = window("com.microsoft.VSCode", "main.cpp - Code");
    const WindowObservation kChat = window("com.tinyspeck.slackmacgap", "general - Slack");
    const WindowObservation kVault = window("com.bitwarden.desktop", "Bitwarden");
};

TEST_F(Input, TenEvenKeysMakeOnePatternNineMakeNone) {
    keys(at(9, 0, 10), 9, 0.25);
    advance(at(9, 0, 20));
    EXPECT_TRUE(ofType("input.pattern").empty());
    EXPECT_EQ(e().episode->steps, 1);
    EXPECT_EQ(log.events().front().kind, EventKind::typingPaused);

    keys(at(9, 0, 30), 10, 0.25);
    advance(at(9, 0, 40));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(integer(patterns[0], "keys"), 10);
    EXPECT_EQ(integer(patterns[0], "mean_iki_ms"), 250);
    EXPECT_EQ(integer(patterns[0], "iki_sd_ms"), 0);
    EXPECT_EQ(number(patterns[0], "backspace_ratio"), 0.0);
    EXPECT_EQ(text(patterns[0], "start"), "2026-03-03T09:00:30Z");
    EXPECT_EQ(text(patterns[0], "end"), "2026-03-03T09:00:32Z");  // 32.25 truncated
}

TEST_F(Input, DeviationIsOfThePopulationAndBackspacesAreRated) {
    TimePoint t = at(9, 0, 10);
    for (int i = 0; i < 13; ++i) {
        advance(t);
        e().key(i < 2, false);
        t += i % 2 ? 0.375 : 0.125;
    }
    advance(at(9, 1));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(integer(patterns[0], "mean_iki_ms"), 250);
    EXPECT_EQ(integer(patterns[0], "iki_sd_ms"), 125);  // 130 with count - 1
    EXPECT_NEAR(number(patterns[0], "backspace_ratio"), 2.0 / 13, 1e-12);
}

TEST_F(Input, AGapOfTwoSecondsOrMoreStartsANewBurst) {
    keys(at(9, 0, 10), 10, 0.25);
    keys(at(9, 0, 12.25) + 2.0, 10, 0.25);  // exactly 2 s after the last key
    keys(at(9, 0, 20), 10, 0.25);
    advance(at(9, 1));
    EXPECT_EQ(ofType("input.pattern").size(), 3u);
    EXPECT_EQ(e().episode->steps, 3);
}

TEST_F(Input, OnlyFiveThousandGapsAreKept) {
    keys(at(9, 0, 10), 5001, 0.125);
    advance(e().lastKeyAt.value() + 1.875);  // a slower 5001st gap, past the cap
    e().key(false, false);
    EXPECT_EQ(e().ikis.size(), 5000u);
    advance(at(9, 20));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(integer(patterns[0], "keys"), 5002);
    EXPECT_EQ(integer(patterns[0], "iki_sd_ms"), 0);  // the slow gap would make it 24
}

TEST_F(Input, SlotsCountThirtySecondWindowsAndCanExceedTheBucket) {
    for (int slot = 0; slot < 4; ++slot) keys(at(9, 0, 10 + 30 * slot), 10, 0.5);
    tickAt(at(9, 5));
    EXPECT_DOUBLE_EQ(number(ofType("activity.intensity").at(0), "active_ratio"), 0.4);
    EXPECT_EQ(integer(ofType("activity.intensity").at(0), "keystrokes"), 40);

    for (int slot = 0; slot < 10; ++slot) {
        advance(at(9, 5, 30 * slot + 1));
        e().click();
    }
    advance(at(9, 10, 2));  // before the tick closes the bucket: slot 10
    e().scroll();
    tickAt(at(9, 10, 5));
    EXPECT_DOUBLE_EQ(number(ofType("activity.intensity").at(1), "active_ratio"), 1.1);
}

TEST_F(Input, AKeyWhileIdleEndsIdleFirstThenCounts) {
    advance(at(9, 5));
    e().idleStarted(at(9, 2));
    advance(at(9, 6));
    e().key(false, false);
    EXPECT_EQ(e().presence, Presence::active);
    EXPECT_EQ(text(ofType("activity.presence").back(), "state"), "idle");
    EXPECT_EQ(e().focusApp->bundle, kEditor.bundleId);
    EXPECT_EQ(e().bKeys, 1);
    EXPECT_EQ(e().lastActive, at(9, 6));
}

TEST_F(Input, NothingTypedInAnExcludedApplicationIsNoticed) {
    keys(at(9, 0, 10), 8, 0.25);  // an open burst in the editor
    advance(at(9, 0, 12));
    focus(at(9, 0, 12), kVault);
    const auto before = e().episode->last;
    keys(at(9, 0, 12.5), 6, 0.25);  // master password: ends the editor burst, starts none
    EXPECT_FALSE(e().typing);
    advance(at(9, 0, 14.5));
    e().click();
    e().scroll();
    advance(at(9, 0, 15));
    e().key(false, true);  // a paste there
    EXPECT_EQ(e().episode->last, before);
    EXPECT_EQ(e().lastActive, before);
    focus(at(9, 0, 15.5), kChat);
    keys(at(9, 0, 16), 10, 0.25);
    advance(at(9, 0, 30));

    EXPECT_EQ(e().bKeys, 8 + 10);
    EXPECT_EQ(e().bClicks, 0);
    EXPECT_EQ(e().bScrolls, 0);
    EXPECT_EQ(e().episode->pastes, 0);
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(integer(patterns[0], "keys"), 10);
    EXPECT_EQ(text(patterns[0], "bundle_id"), kChat.bundleId);
}

TEST_F(Input, InputInAnExcludedWindowIsNotNoticedButEndsIdle) {
    const WindowObservation bank =
        window("org.mozilla.firefox", "Summary - PayPal", QStringLiteral("https://www.paypal.com/"));
    focus(at(9, 1), bank);
    ASSERT_TRUE(e().contextExcluded);
    advance(at(9, 6));
    e().idleStarted(at(9, 2));
    keys(at(9, 7), 3, 0.25);
    EXPECT_EQ(e().presence, Presence::active);  // resumed: still the excluded window
    EXPECT_EQ(e().bKeys, 0);
    EXPECT_FALSE(e().typing);
    advance(at(9, 7, 1));
    e().scroll();  // does not move the scroll throttle ...
    EXPECT_EQ(e().bScrolls, 0);
    focus(at(9, 7, 2), kEditor);
    e().scroll();  // ... so this one counts
    EXPECT_EQ(e().bScrolls, 1);
}

}  // namespace

namespace {

// The default timer is a real one on the event loop: the burst still ends two seconds later.
TEST(DefaultTypingTimer, EndsTheBurstThroughTheEventLoop) {
    SignalEngine engine([] { return kNine; });
    EventLog log;
    engine.events = &log;
    engine.sink = [](const Signal&) {};
    engine.configProvider = [] { return DeploymentConfig(); };
    engine.start();
    engine.key(false, false);
    ASSERT_TRUE(engine.typing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !engine.typing; }, 10000));
    EXPECT_EQ(log.events().front().kind, EventKind::typingPaused);
}

}  // namespace
