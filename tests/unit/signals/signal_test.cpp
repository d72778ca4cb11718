#include <gtest/gtest.h>

#include <cmath>

#include "signals/signal.h"
#include "signals/signal_type.h"
#include "test_data.h"

namespace {

// Every signal of the golden session (ids masked) reads back and writes the same bytes.
TEST(Signal, TheGoldenSessionRoundTripsByteForByte) {
    const QString golden = TARNWHISTLE_TEST_DATA_DIR "/engine/session_20min.expected.jsonl";
    int lines = 0;
    for (const QByteArray& line : fileContents(golden).split('\n')) {
        if (line.isEmpty()) continue;
        QString error;
        const auto signal = Signal::fromJSON(line, &error);
        ASSERT_TRUE(signal) << error.toStdString();
        EXPECT_EQ(signal->jsonString().toUtf8(), line);
        ++lines;
    }
    EXPECT_GT(lines, 0);
}

TEST(Signal, WritesSortedKeysEscapedSlashesAndItsOwnIdTypeAndVersion) {
    const Signal s{"ID",
                   "app.focus",
                   1,
                   {{"bundle_id", "com.example/app"},
                    {"category", JSONValue::null()},
                    {"type", "fake"},
                    {"v", 9}}};
    EXPECT_EQ(s.jsonString(), R"({"bundle_id":"com.example\/app","category":null,"id":"ID",)"
                              R"("type":"app.focus","v":1})");
    const Signal broken{"ID", "input.pattern", 1, {{"ratio", std::nan("")}}};
    EXPECT_EQ(broken.jsonString(), "{}");
}

TEST(Signal, DecodingTakesOutIdTypeAndVersionAndDefaultsWrongOnes) {
    const auto s = Signal::fromJSON(R"({"v":"2","type":5,"id":null,"k":1})");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->id.size(), 26);  // a fresh ULID
    EXPECT_EQ(s->type, "unknown");
    EXPECT_EQ(s->v, 1);
    EXPECT_EQ(s->fields, (JSONObject{{"k", JSONValue(1)}}));
    EXPECT_EQ(Signal::fromJSON(R"({"v":3.0})")->v, 3);
    EXPECT_EQ(Signal::fromJSON(R"({"v":3.5})")->v, 1);
    for (const char* text : {"[]", "1", "null", "{\"id\":"}) {
        QString error;
        EXPECT_FALSE(Signal::fromJSON(text, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

// The one answer to "is this type on" for the engine, the capture loop and the Settings window.
TEST(SignalType, IsOnByTheEntryOrElseByTheTypesDefault) {
    const std::map<QString, bool> enabled = {{"app.focus", false}, {"process.step", true}};
    EXPECT_FALSE(SignalType(SignalType::appFocus).isOn(enabled));
    EXPECT_TRUE(SignalType(SignalType::processStep).isOn(enabled));
    EXPECT_TRUE(SignalType(SignalType::workCategory).isOn(enabled));   // missing: on
    EXPECT_FALSE(SignalType(SignalType::inputPattern).isOn(enabled));  // missing: sensitive, off
    EXPECT_TRUE(SignalType(SignalType::inputPattern).isOn({{"input.pattern", true}}));
}

}  // namespace
