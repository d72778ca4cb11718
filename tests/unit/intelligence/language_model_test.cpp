#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTest>

#include "fake_model_server.h"
#include "intelligence/language_model_prompt.h"
#include "intelligence/local_language_model.h"

TEST(LanguageModelPrompt, ListsTheVocabularyThenTheTextCutTo1500Characters) {
    using LanguageModelPrompt::prompt;
    EXPECT_EQ(prompt("App: Jira.", {{"planning", "tickets, sprint"}, {"design", "mockups"}}),
              "Labels:\n- planning: tickets, sprint\n- design: mockups\n\nWork context:\n"
              "App: Jira.\n\nLabel name:");
    const QString description(3000, 'd');
    const QString p = prompt(QString(1500, 'a') + "TAIL", {{"x", description}});
    EXPECT_TRUE(p.contains(description)) << "vocabulary lines are never cut";
    EXPECT_TRUE(p.endsWith(QString(1500, 'a') + "\n\nLabel name:"));
    EXPECT_EQ(prompt("t", {}), "Labels:\n\n\nWork context:\nt\n\nLabel name:");
}

TEST(LanguageModelPrompt, MatchesWrappedNamesLongestFirst) {
    using LanguageModelPrompt::matchLabel;
    const CategoryList labels{{"planning", ""}, {"meeting_preparation", ""}, {"design", ""}};
    EXPECT_EQ(matchLabel("The label is: PLANNING.", labels), "planning");
    EXPECT_EQ(matchLabel("planning, or rather meeting_preparation", labels), "meeting_preparation");
    EXPECT_EQ(matchLabel("I cannot tell.", labels), std::nullopt);
    EXPECT_EQ(matchLabel("anything", {{"", "unnamed entry"}}), std::nullopt);
}

namespace {

struct LocalModel : ::testing::Test {
    FakeModelServer server;
    double clock = 1000;
    LocalLanguageModel model{
        LocalLanguageModel::Options{server.url(), 300, 5, 500, [this] { return clock; }}};

    std::optional<bool> check() {
        std::optional<bool> answer;
        model.checkAvailability([&](bool ok) { answer = ok; });
        (void)QTest::qWaitFor([&] { return answer.has_value(); });
        return answer;
    }
    std::optional<QString> chat() {
        bool done = false;
        std::optional<QString> reply;
        model.chat("be brief",
                   "Label name:", [&](std::optional<QString> r) { reply = r, done = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }));
        return reply;
    }
};

}  // namespace

TEST_F(LocalModel, AsksTheFirstListedModelInAFreshNonStreamingConversation) {
    EXPECT_EQ(check(), true);
    EXPECT_EQ(chat(), "planning");
    const auto& request = server.requests.back();
    EXPECT_EQ(request.path, "/api/chat");
    EXPECT_EQ(request.body["model"], "tiny:1b");
    EXPECT_EQ(request.body["stream"], false);
    EXPECT_EQ(request.body["messages"],
              (QJsonArray{QJsonObject{{"role", "system"}, {"content", "be brief"}},
                          QJsonObject{{"role", "user"}, {"content", "Label name:"}}}));
    server.chatMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(chat(), std::nullopt) << "a hung model gives up after the reply timeout";
}

TEST_F(LocalModel, AvailabilityIsReusedForAFewSecondsAndSilenceMeansUnavailable) {
    int answers = 0;
    model.checkAvailability([&](bool) { ++answers; });
    model.checkAvailability([&](bool) { ++answers; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 2; }));
    clock += 4;
    EXPECT_EQ(check(), true);
    EXPECT_EQ(server.requests.size(), 1u) << "one request for all of them";
    clock += 2;
    server.tagsBody = R"({"models":[]})";
    EXPECT_EQ(check(), false);
    EXPECT_EQ(chat(), std::nullopt) << "no model to ask";
    clock += 10;
    server.tagsMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(check(), false);
    EXPECT_EQ(server.requests.size(), 3u) << "and none to a model that is not there";
}
