// The trace format, the replay driver, and scenario traces replayed to the signals checked in
// beside them: the golden 20-minute session (idle noticed late, a break of exactly five minutes,
// an excluded application in between, the order of the final flush) and the short traces under
// engine/scenarios, whose opening comments say what each one pins down. After a deliberate
// change, regenerate an expected file with
//   TZ=UTC tarnwhistle-tool replay --config tests/data/engine/replay-config.json --user jane T
// (or the scenario's own config), mask the ids as below, and review the difference.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "engine_harness.h"
#include "replay/workday_trace.h"

namespace {

QByteArray readData(const QString& name) {
    QFile file(TARNWHISTLE_TEST_DATA_DIR "/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

struct Golden {
    QString trace, expected, config = "engine/replay-config.json";
};
void PrintTo(const Golden& golden, std::ostream* out) {
    *out << golden.trace.toStdString();
}
// A scenario NAME has NAME.trace.jsonl, NAME.expected.jsonl and, when it needs other settings
// than the replay's, NAME.config.json.
std::vector<Golden> goldens() {
    std::vector<Golden> out{{"engine_session_20min.jsonl", "engine/session_20min.expected.jsonl"}};
    const QDir dir(TARNWHISTLE_TEST_DATA_DIR "/engine/scenarios");
    for (const QString& name : dir.entryList({"*.trace.jsonl"})) {
        const QString base = "engine/scenarios/" + name.section('.', 0, 0);
        out.push_back({base + ".trace.jsonl", base + ".expected.jsonl"});
        if (dir.exists(name.section('.', 0, 0) + ".config.json"))
            out.back().config = base + ".config.json";
    }
    return out;
}

class Scenario : public ::testing::TestWithParam<Golden> {};

TEST_P(Scenario, GivesTheCheckedInSignals) {
    useTimeZone("UTC");
    const auto config = DeploymentConfig::decodeMerging(readData(GetParam().config));
    ASSERT_TRUE(config.has_value());
    QString error;
    const auto calls = parseTrace(readData(GetParam().trace), &error);
    ASSERT_TRUE(calls.has_value()) << error.toStdString();
    // Signal and episode ids are random: each becomes * and its number in order of appearance,
    // so a repeated id still shows. Everything else must match.
    static const QRegularExpression ids(
        QStringLiteral("\"(?:id|episode_id)\":\"(?:ep_)?([0-9A-Z]{26})\""));
    QStringList actual, seen;
    TraceReplayer replayer({*config, QStringLiteral("jane"), {}}, [&](const Signal& s) {
        QString line = s.jsonString();
        for (auto match = ids.globalMatch(line); match.hasNext();) {
            const QString id = match.next().captured(1);
            if (!seen.contains(id)) seen << id;
            line.replace(id, "*" + QString::number(seen.indexOf(id) + 1));
        }
        actual << line;
    });
    for (const TraceCall& call : *calls) ASSERT_TRUE(replayer.apply(call, &error)) << call.line;
    const QStringList expected =
        QString::fromUtf8(readData(GetParam().expected)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i].toStdString(), expected[i].toStdString()) << "signal " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Engine, Scenario, ::testing::ValuesIn(goldens()), [](const auto& info) {
    return QFileInfo(info.param.trace).baseName().toStdString();
});

TEST(Replay, MalformedLinesAreReportedWithTheirNumber) {
    const std::pair<QByteArray, QString> cases[] = {
        {"{\"t\":1,\"call\":\"tick\"}\n{\"t\":2,\"call\":\"jump\"}",
         "line 2: unknown call \"jump\""},
        {"\n// note\n{\"t\":\"x\",\"call\":\"tick\"}", "line 3: \"t\" must be a number"},
        {"{\"t\":1,\"call\":\"appActivated\",\"name\":\"A\"}",
         "line 1: \"bundleId\" must be a string"},
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

TEST(Replay, AGeneratedDayIsReproducibleAndReplays) {
    const QByteArray day = generateWorkdayTrace(7);
    EXPECT_EQ(day, generateWorkdayTrace(7));
    EXPECT_NE(day, generateWorkdayTrace(8));
    QString error;
    const auto calls = parseTrace(day, &error);
    ASSERT_TRUE(calls.has_value()) << error.toStdString();
    EXPECT_NEAR(calls->back().t - calls->front().t, 8 * 3600, 60);
    std::map<QString, int> counts;
    TraceReplayer replayer({DeploymentConfig(), std::nullopt, {}},
                           [&](const Signal& s) { ++counts[s.type]; });
    for (const TraceCall& c : *calls) ASSERT_TRUE(replayer.apply(c));
    for (const char* type : {"app.focus", "app.switch", "window.context", "handover",
                             "task.episode", "document.ref", "work.day.summary"})
        EXPECT_GT(counts[type], 0) << type;
}

}  // namespace
