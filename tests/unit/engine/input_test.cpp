// The cap on typing gaps and the default typing timer; burst thresholds are a replayed trace.
#include <QTest>

#include "engine_harness.h"

namespace {

using Input = EngineHarness;

TEST_F(Input, OnlyFiveThousandGapsAreKept) {
    config.enabledSignals["input.pattern"] = true;
    focus(at(9, 0), kEditor);
    keys(at(9, 0, 10), 5001, 0.125);
    keys(at(9, 0, 10) + 5000 * 0.125 + 1.875);  // a slower 5001st gap, past the cap
    advance(at(9, 20));
    const auto patterns = ofType("input.pattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(field(patterns[0], "keys"), JSONValue(5002));
    EXPECT_EQ(field(patterns[0], "iki_sd_ms"), JSONValue(0));  // the slow gap would make it 24
}

// The default timer is a real one on the event loop: the burst still ends two seconds later, and
// one shorter than ten keys still says that typing paused.
TEST(DefaultTypingTimer, EndsTheBurstThroughTheEventLoop) {
    SignalEngine engine([] { return kNine; });
    engine.start();
    engine.key(false, false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return engine.events->events().front().kind == EventKind::typingPaused; }, 10000));
}

}  // namespace
