#include <gtest/gtest.h>

#include <QJsonArray>

#include "fake_model_server.h"
#include "intelligence/language_model_prompt.h"
#include "intelligence/local_language_model.h"
#include "wait_for.h"

TEST(LanguageModelPrompt, ListsTheVocabularyThenTheTextCutTo1500Characters) {
    const CategoryList labels{{"planning", "tickets, sprint"}, {"design", "mockups"}};
    EXPECT_EQ(LanguageModelPrompt::prompt("App: Jira.", labels),
              "Labels:\n- planning: tickets, sprint\n- design: mockups\n\nWork context:\n"
              "App: Jira.\n\nLabel name:");
    const QString longText = QString(1500, 'a') + "TAIL";
    const QString longDescription = QString(3000, 'd');
    const QString p = LanguageModelPrompt::prompt(longText, {{"x", longDescription}});
    EXPECT_TRUE(p.contains(longDescription)) << "vocabulary lines are never cut";
    EXPECT_TRUE(p.endsWith(QString(1500, 'a') + "\n\nLabel name:"));
    EXPECT_EQ(LanguageModelPrompt::prompt("t", {}), "Labels:\n\n\nWork context:\nt\n\nLabel name:");
}

TEST(LanguageModelPrompt, MatchesWrappedNamesLongestFirst) {
    const CategoryList labels{{"planning", ""}, {"meeting_preparation", ""}, {"design", ""}};
    using LanguageModelPrompt::matchLabel;
    EXPECT_EQ(matchLabel("The label is: PLANNING.", labels), "planning");
    EXPECT_EQ(matchLabel("planning, or rather meeting_preparation", labels), "meeting_preparation");
    EXPECT_EQ(matchLabel("I cannot tell.", labels), std::nullopt);
    EXPECT_EQ(matchLabel("planning", {}), std::nullopt);
    EXPECT_EQ(matchLabel("anything", {{"", "unnamed entry"}}), std::nullopt);
}

namespace {

struct ModelFixture : ::testing::Test {
    FakeModelServer server;
    double clock = 1000;
    LocalLanguageModel model{LocalLanguageModel::Options{
        server.url(), 300, 5, 500, [this] { return clock; }}};

    std::optional<bool> check() {
        std::optional<bool> answer;
        model.checkAvailability([&](bool ok) { answer = ok; });
        waitFor([&] { return answer.has_value(); });
        return answer;
    }
    std::optional<QString> chat(const QString& system, const QString& user) {
        bool done = false;
        std::optional<QString> reply;
        model.chat(system, user, [&](std::optional<QString> r) { reply = r, done = true; });
        waitFor([&] { return done; });
        EXPECT_TRUE(done);
        return reply;
    }
};

}  // namespace

TEST_F(ModelFixture, AvailableWhenTheServerListsAModelAndUsesTheFirst) {
    EXPECT_EQ(check(), true);
    EXPECT_EQ(model.modelName(), "tiny:1b");
    EXPECT_EQ(chat("be brief", "Label name:"), "planning");
    const auto& request = server.requests.back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/chat");
    EXPECT_EQ(request.body["model"], "tiny:1b");
    EXPECT_EQ(request.body["stream"], false);
    EXPECT_FALSE(request.body.contains("options"));
    EXPECT_EQ(request.body["messages"],
              (QJsonArray{QJsonObject{{"role", "system"}, {"content", "be brief"}},
                          QJsonObject{{"role", "user"}, {"content", "Label name:"}}}));
}

TEST_F(ModelFixture, UnavailableWithoutModelsOnErrorOrSilence) {
    server.tagsBody = R"({"models":[]})";
    EXPECT_EQ(check(), false);
    clock += 10;
    server.tagsMode = FakeModelServer::Mode::fail;
    EXPECT_EQ(check(), false);
    clock += 10;
    server.tagsMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(check(), false) << "a silent server counts as unavailable after the timeout";
    EXPECT_EQ(chat("s", "u"), std::nullopt) << "no model to ask";
}

TEST_F(ModelFixture, NoServerListeningIsUnavailable) {
    LocalLanguageModel closed{LocalLanguageModel::Options{QUrl("http://127.0.0.1:1"), 300, 5, 2000, {}}};
    std::optional<bool> answer;
    closed.checkAvailability([&](bool ok) { answer = ok; });
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
}

TEST_F(ModelFixture, ReusesAnAnswerForAFewSecondsAndSharesACheckInFlight) {
    int answers = 0;
    model.checkAvailability([&](bool) { ++answers; });
    model.checkAvailability([&](bool) { ++answers; });
    ASSERT_TRUE(waitFor([&] { return answers == 2; }));
    EXPECT_EQ(server.count("/api/tags"), 1);

    clock += 4;
    EXPECT_EQ(check(), true);
    EXPECT_EQ(server.count("/api/tags"), 1);
    clock += 2;
    server.tagsBody = R"({"models":[]})";
    EXPECT_EQ(check(), false);
    EXPECT_EQ(server.count("/api/tags"), 2);
    EXPECT_EQ(model.lastKnownAvailability(), false);
}

TEST_F(ModelFixture, ChatFailuresGiveNothing) {
    ASSERT_EQ(check(), true);
    server.chatMode = FakeModelServer::Mode::fail;
    EXPECT_EQ(chat("s", "u"), std::nullopt);
    server.chatMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(chat("s", "u"), std::nullopt) << "a hung model gives up after the reply timeout";
}
