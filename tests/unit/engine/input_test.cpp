// Typing bursts, intensity buckets and input while an excluded application or window is in front.
#include <QTest>

#include "engine_harness.h"

namespace {

class Input : public EngineHarness {
  protected:
    Input() {
        config.enabledSignals["input.pattern"] = true;
        focus(at(9, 0), kEditor);
    }
};

TEST_F(Input, TenEvenKeysMakeOnePatternNineMakeNoneAndAGapOfTwoSecondsSplits) {
    keys(at(9, 0, 10), 9, 0.25);
    advance(at(9, 0, 20));
    EXPECT_TRUE(ofType("input.pattern").empty());
    EXPECT_EQ(log.events().front().kind, EventKind::typingPaused);

    keys(at(9, 0, 30), 10, 0.25);
    keys(at(9, 0, 32.25) + 2.0, 10, 0.25);  // exactly 2 s after the last key
    advance(at(9, 0, 50));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 2u);
    EXPECT_EQ(field(patterns[0], "keys"), JSONValue(10));
    EXPECT_EQ(field(patterns[0], "start"), JSONValue("2026-03-03T09:00:30Z"));
    EXPECT_EQ(field(patterns[0], "end"), JSONValue("2026-03-03T09:00:32Z"));  // 32.25 truncated
    flushAt(at(9, 1));
    EXPECT_EQ(last("task.episode", "step_count"), JSONValue(3));  // every burst is a step
}

TEST_F(Input, OnlyFiveThousandGapsAreKept) {
    keys(at(9, 0, 10), 5001, 0.125);
    keys(at(9, 0, 10) + 5000 * 0.125 + 1.875);  // a slower 5001st gap, past the cap
    advance(at(9, 20));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(field(patterns[0], "keys"), JSONValue(5002));
    EXPECT_EQ(field(patterns[0], "iki_sd_ms"), JSONValue(0));  // the slow gap would make it 24
}

TEST_F(Input, SlotsCountThirtySecondWindowsAndCanExceedTheBucket) {
    for (int slot = 0; slot < 4; ++slot) keys(at(9, 0, 10 + 30 * slot), 10, 0.5);
    tickAt(at(9, 5));
    EXPECT_EQ(last("activity.intensity", "active_ratio"), JSONValue(0.4));
    EXPECT_EQ(last("activity.intensity", "keystrokes"), JSONValue(40));

    for (int slot = 0; slot < 10; ++slot) {
        advance(at(9, 5, 30 * slot + 1));
        engine.click();
    }
    advance(at(9, 10, 2));  // before the tick closes the bucket: slot 10
    engine.scroll();
    tickAt(at(9, 10, 5));
    EXPECT_EQ(last("activity.intensity", "active_ratio"), JSONValue(1.1));
}

TEST_F(Input, AKeyWhileIdleEndsIdleFirstThenCounts) {
    advance(at(9, 5));
    engine.idleStarted(at(9, 2));
    keys(at(9, 6));
    EXPECT_EQ(last("activity.presence", "state"), JSONValue("idle"));
    EXPECT_EQ(last("activity.presence", "end"), JSONValue("2026-03-03T09:06:00Z"));
    flushAt(at(9, 7));
    EXPECT_EQ(last("activity.intensity", "keystrokes"), JSONValue(1));
    EXPECT_EQ(last("work.day.summary", "last_active"), JSONValue("2026-03-03T09:06:00Z"));
    EXPECT_EQ(last("app.focus", "bundle_id"), JSONValue(kEditor.bundleId));
}

TEST_F(Input, NothingTypedInAnExcludedApplicationIsNoticed) {
    keys(at(9, 0, 10), 8, 0.25);  // an open burst in the editor
    focus(at(9, 0, 12), kVault);
    keys(at(9, 0, 12.5), 6, 0.25);  // master password: ends the editor burst, starts none
    advance(at(9, 0, 14.5));
    engine.click();
    engine.scroll();
    advance(at(9, 0, 15));
    engine.key(false, true);  // a paste there
    focus(at(9, 0, 15.5), kChat);
    keys(at(9, 1), 10, 0.25);
    flushAt(at(9, 2));
    EXPECT_EQ(last("activity.intensity", "keystrokes"), JSONValue(8 + 10));
    EXPECT_EQ(last("activity.intensity", "clicks"), JSONValue(0));
    EXPECT_EQ(last("activity.intensity", "scroll_events"), JSONValue(0));
    EXPECT_EQ(last("task.episode", "paste_count"), JSONValue(0));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(field(patterns[0], "keys"), JSONValue(10));
    EXPECT_EQ(field(patterns[0], "bundle_id"), JSONValue(kChat.bundleId));
}

TEST_F(Input, InputInAnExcludedWindowIsNotNoticedButEndsIdle) {
    focus(at(9, 1), window("org.mozilla.firefox", "Summary - PayPal", "https://www.paypal.com/"));
    advance(at(9, 6));
    engine.idleStarted(at(9, 2));
    keys(at(9, 7), 3, 0.25);
    EXPECT_EQ(last("activity.presence", "end"), JSONValue("2026-03-03T09:07:00Z"));  // resumed
    advance(at(9, 7, 1));
    engine.scroll();  // does not move the scroll throttle ...
    focus(at(9, 7, 2), kEditor);
    engine.scroll();  // ... so this one counts
    flushAt(at(9, 8));
    EXPECT_EQ(last("activity.intensity", "keystrokes"), JSONValue(0));
    EXPECT_EQ(last("activity.intensity", "scroll_events"), JSONValue(1));
    EXPECT_TRUE(ofType("input.pattern").empty());
}

// The default timer is a real one on the event loop: the burst still ends two seconds later.
TEST(DefaultTypingTimer, EndsTheBurstThroughTheEventLoop) {
    SignalEngine engine([] { return kNine; });
    engine.start();
    engine.key(false, false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return engine.events->events().front().kind == EventKind::typingPaused; }, 10000));
}

}  // namespace
