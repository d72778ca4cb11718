// The one test of the emission gate; presence, focus, pause and resumption are replayed traces.
#include "engine_harness.h"

namespace {

using EmissionGate = EngineHarness;

TEST_F(EmissionGate, DropsPausedDisabledAndNeverProducedTypes) {
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

}  // namespace
