// The trace format, the replay driver and the golden 20-minute session.
#include <QFile>
#include <QRegularExpression>

#include "engine_harness.h"

namespace {

QByteArray readData(const QString& name) {
    QFile file(QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// Signal ids and episode ids are random; everything else must match.
QString masked(const QString& line) {
    static const QRegularExpression id(QStringLiteral("\"id\":\"[0-9A-Z]{26}\""));
    static const QRegularExpression episode(QStringLiteral("\"episode_id\":\"ep_[0-9A-Z]{26}\""));
    QString out = line;
    out.replace(id, QStringLiteral("\"id\":\"*\""));
    out.replace(episode, QStringLiteral("\"episode_id\":\"ep_*\""));
    return out;
}

QStringList replay(const QByteArray& trace, const DeploymentConfig& config) {
    QString error;
    const auto calls = parseTrace(trace, &error);
    EXPECT_TRUE(calls.has_value()) << error.toStdString();
    QStringList out;
    TraceReplayer replayer({config, QStringLiteral("jane"), TraceReplayer::ClassifierMode::rules},
                           [&](const Signal& s) { out << masked(s.jsonString()); });
    for (const TraceCall& call : calls.value_or(std::vector<TraceCall>{})) {
        EXPECT_TRUE(replayer.apply(call, &error)) << error.toStdString();
    }
    EXPECT_EQ(replayer.engine()->userPrincipal, "jane");
    return out;
}

TEST(Replay, TwentyMinuteSessionGivesTheCheckedInSignals) {
    const ScopedTimeZone utc("UTC");
    const auto config = DeploymentConfig::decodeMerging(readData("engine/replay-config.json"));
    ASSERT_TRUE(config.has_value());
    const QStringList actual = replay(readData("engine_session_20min.jsonl"), *config);
    const QStringList expected = QString::fromUtf8(readData("engine/session_20min.expected.jsonl"))
                                     .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].toStdString(), expected[i].toStdString()) << "signal " << i + 1;
    }
}

TEST(Replay, MalformedLinesAreReportedWithTheirNumber) {
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"{\"t\":1,\"call\":\"tick\"}\n{\"t\":2,\"call\":\"jump\"}", "line 2: unknown call \"jump\""},
        {"\n// note\n{\"t\":\"x\",\"call\":\"tick\"}", "line 3: \"t\" must be a number"},
        {"{\"t\":1,\"call\":\"appActivated\",\"name\":\"A\"}", "line 1: \"bundleId\" must be a string"},
        {"{\"t\":1,\"call\":\"key\",\"isPaste\":1}", "line 1: \"isPaste\" must be true or false"},
        {"[1,2]", "line 1: not a JSON object"},
        {"{\"t\":1,", "line 1: not JSON"},
        {"{\"t\":2,\"call\":\"tick\"}\n{\"t\":1,\"call\":\"tick\"}", "line 2: time goes back"},
    };
    for (const auto& [trace, message] : cases) {
        QString error;
        EXPECT_FALSE(parseTrace(trace, &error).has_value());
        EXPECT_TRUE(error.startsWith(message)) << error.toStdString();
    }
}

TEST(Replay, LinesRoundTripAndNullOptionalsAreAbsent) {
    QString error;
    const auto calls = parseTrace(
        "{\"t\":5.5,\"call\":\"windowObserved\",\"bundleId\":\"b\",\"appName\":\"B\","
        "\"title\":\"T\",\"url\":null}",
        &error);
    ASSERT_TRUE(calls.has_value()) << error.toStdString();
    ASSERT_EQ(calls->size(), 1u);
    const TraceCall& call = calls->front();
    EXPECT_FALSE(call.obs.url.has_value());
    EXPECT_FALSE(call.obs.documentPath.has_value());
    const auto again = parseTrace(call.toJsonLine(), &error);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->front().obs, call.obs);
    EXPECT_EQ(again->front().t, 5.5);
}

TEST(Replay, GeneratedDayIsReproducibleAndReplays) {
    const QByteArray day = generateWorkdayTrace(7);
    EXPECT_EQ(day, generateWorkdayTrace(7));
    EXPECT_NE(day, generateWorkdayTrace(8));
    QString error;
    const auto calls = parseTrace(day, &error);
    ASSERT_TRUE(calls.has_value()) << error.toStdString();
    EXPECT_GT(calls->size(), 20000u);
    EXPECT_NEAR(calls->back().t - calls->front().t, 8 * 3600, 60);
    std::set<TraceCall::Op> ops;
    for (const TraceCall& c : *calls) ops.insert(c.op);
    EXPECT_EQ(ops.size(), 14u);  // every kind of call occurs

    DeploymentConfig config;
    std::map<QString, int> counts;
    TraceReplayer replayer({config, std::nullopt, TraceReplayer::ClassifierMode::rules},
                           [&](const Signal& s) { ++counts[s.type]; });
    for (const TraceCall& c : *calls) ASSERT_TRUE(replayer.apply(c));
    for (const char* type : {"app.focus", "app.switch", "window.context", "handover",
                             "task.episode", "document.ref", "work.day.summary"}) {
        EXPECT_GT(counts[type], 0) << type;
    }
}

}  // namespace
