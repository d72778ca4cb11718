#include <gtest/gtest.h>

#include <QProcess>

TEST(ClassifyTool, WritesOneLinePerInputLineWhateverHappens) {
    QProcess tool;
    tool.start(TARNWHISTLE_BINARY_DIR "/tools/tarnwhistle-tool",
               {"classify", "--no-language-model", "--labels", "tasks"});
    tool.write(
        "{\"text\":\"answering emails and messages\",\"rule\":null}\n"
        "{\"text\":\"  \",\"rule\":null}\n"
        "{\"text\":\"  \",\"rule\":\"design\"}\n"
        "not json\n"
        "\n"
        "{\"text\":\"answering emails\"}");  // no line feed after the last line
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    const auto lines = tool.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 7) << lines.join('\n').constData();
    EXPECT_TRUE(lines[0].startsWith(R"({"confidence":)")) << lines[0].constData();
    EXPECT_TRUE(
        lines[0].endsWith(R"("label":"email_triage","model":"apple-nl-sentence-embedding"})"));
    EXPECT_EQ(lines[1], "null");
    EXPECT_EQ(lines[2],
              R"({"confidence":null,"derivation":"rule","label":"design","model":"rules"})");
    EXPECT_TRUE(lines[3].startsWith(R"({"error":"line 4: )"));
    EXPECT_TRUE(lines[4].startsWith(R"({"error":"line 5: )"));
    EXPECT_TRUE(lines[5].contains("email_triage"));
    EXPECT_EQ(tool.exitCode(), 1) << "unreadable lines are reported in the exit status";
}
