// Typing bursts and the typing timer.
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

// The default timer is a real one on the event loop: the burst still ends two seconds later.
TEST(DefaultTypingTimer, EndsTheBurstThroughTheEventLoop) {
    SignalEngine engine([] { return kNine; });
    engine.start();
    engine.key(false, false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return engine.events->events().front().kind == EventKind::typingPaused; }, 10000));
}

}  // namespace
