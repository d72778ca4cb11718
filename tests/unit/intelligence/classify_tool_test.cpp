#include <gtest/gtest.h>

#include <QProcess>

namespace {

struct ToolRun {
    int status = -1;
    QList<QByteArray> lines;
};

ToolRun classifyTool(const QStringList& options, const QByteArray& input) {
    QProcess p;
    p.start(TARNWHISTLE_BINARY_DIR "/tools/tarnwhistle-tool",
            QStringList{"classify", "--no-language-model"} + options);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    ToolRun run{p.exitCode(), p.readAllStandardOutput().split('\n')};
    if (!run.lines.isEmpty() && run.lines.last().isEmpty()) run.lines.removeLast();
    return run;
}

}  // namespace

TEST(ClassifyTool, WritesOneLinePerInputLineWhateverHappens) {
    const QByteArray input =
        "{\"text\":\"App: Slack. Window: #general. Site: none. Type: conversation.\\nreplying\","
        "\"rule\":\"communication\"}\n"
        "{\"text\":\"  \",\"rule\":null}\n"
        "{\"text\":\"  \",\"rule\":\"design\"}\n"
        "not json\n"
        "\n"
        "{\"text\":\"answering emails and messages\"}";  // no line feed after the last line
    const ToolRun run = classifyTool({}, input);
    ASSERT_EQ(run.lines.size(), 6) << run.lines.join('\n').constData();
    EXPECT_TRUE(run.lines[0].startsWith("{\"confidence\":")) << run.lines[0].constData();
    EXPECT_TRUE(run.lines[0].contains("\"model\":\"apple-nl-sentence-embedding\""));
    EXPECT_EQ(run.lines[1], "null");
    EXPECT_EQ(run.lines[2],
              R"({"confidence":null,"derivation":"rule","label":"design","model":"rules"})");
    EXPECT_TRUE(run.lines[3].startsWith("{\"error\":\"line 4: "));
    EXPECT_TRUE(run.lines[4].startsWith("{\"error\":\"line 5: "));
    EXPECT_TRUE(run.lines[5].contains("\"label\":\"communication\""));
    EXPECT_EQ(run.status, 1) << "unreadable lines are reported in the exit status";
}

TEST(ClassifyTool, TaskLabelsAndBadOptions) {
    const ToolRun tasks =
        classifyTool({"--labels", "tasks"}, "{\"text\":\"answering emails and messages\"}\n");
    ASSERT_EQ(tasks.lines.size(), 1);
    EXPECT_TRUE(tasks.lines[0].contains("\"label\":\"email_triage\"")) << tasks.lines[0].constData();
    EXPECT_EQ(tasks.status, 0);
    EXPECT_EQ(classifyTool({"--labels", "everything"}, "").status, 2);
}
