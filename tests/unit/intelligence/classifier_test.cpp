#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTest>

#include "fake_embedding.h"
#include "fake_model_server.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/language_model_prompt.h"
#include "intelligence/local_language_model.h"

namespace {

std::unique_ptr<EmbeddingClassifier> embeddings(bool present = true) {
    return std::make_unique<EmbeddingClassifier>(
        present ? std::make_unique<FakeEmbedding>(QStringList{"alpha", "beta"}) : nullptr);
}

std::optional<Classification> run(Classifier& c, const QString& text, const CategoryList& labels,
                                  std::optional<QString> rule, bool useModel = false) {
    int calls = 0;
    std::optional<Classification> result;
    c.classify(text, labels, rule, useModel, [&](auto r) { result = r, ++calls; });
    EXPECT_EQ(calls, 0) << "the completion never runs inside classify";
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls > 0; }));
    return result;
}

CategoryList equalEntries(const QStringList& names) {
    CategoryList labels;
    for (const auto& n : names) labels.push_back({n, "alpha"});
    return labels;
}

const CategoryList twoLabels{{"analysis", "alpha"}, {"design", "beta"}};

}  // namespace

// The rule category answers when the text or the embedding says nothing, and stands against an
// unsure embedding or one that leads the rule's entry by less than a tenth.
TEST(Classifier, TheRuleStandsWhenTheEmbeddingSaysNothingIsUnsureOrLeadsByLittle) {
    Classifier c(embeddings(), nullptr);
    const auto rule = Classification::fromRule("development");
    EXPECT_EQ(run(c, " \n ", twoLabels, QString("development")), rule) << "even if not a label";
    EXPECT_EQ(run(c, " \n ", twoLabels, std::nullopt), std::nullopt);
    EXPECT_EQ(run(c, "alpha", {}, QString("development")), rule) << "empty vocabulary";
    EXPECT_EQ(c.engineIndicator(), "Language embeddings (built into Tarnwhistle)");

    Classifier without(embeddings(false), nullptr);
    EXPECT_EQ(run(without, "alpha", twoLabels, QString("development")), rule);
    EXPECT_EQ(run(without, "alpha", twoLabels, std::nullopt), std::nullopt);
    EXPECT_EQ(without.engineIndicator(), "Rules only (no language model available)");

    const QString analysis = "analysis";
    // Seven equal entries, the rule's with its 0.05 prior bonus: e / (e + 6) ≈ 0.31 < 0.35.
    EXPECT_EQ(run(c, "alpha", equalEntries({"a", "b", "c", "d", "e", "f", analysis}), analysis),
              Classification::fromRule(analysis));
    // Five equal entries and a rule outside them: the first wins with 0.2.
    EXPECT_EQ(run(c, "alpha", equalEntries({"a", "b", "c", "d", "e"}), analysis),
              Classification::fromEmbedding("a", 0.2));
    EXPECT_EQ(run(c, "beta", twoLabels, analysis)->label, "design");
    // Same vectors; "design" has three keywords (0.12) against the rule's one plus its prior
    // bonus (0.09): it wins with about 0.65, but by only 0.03.
    const CategoryList close{{analysis, "alpha"}, {"design", "alpha, ray gun zap"}};
    EXPECT_EQ(run(c, "alpha ray gun zap", close, analysis), Classification::fromRule(analysis));
    EXPECT_EQ(run(c, "alpha ray gun zap", close, std::nullopt)->label, "design");
}

namespace {

// A classifier whose language model is the fake server, on a clock the test turns.
struct WithLanguageModel : ::testing::Test {
    FakeModelServer server;
    double clock = 1000;
    std::unique_ptr<LocalLanguageModel> owned = std::make_unique<LocalLanguageModel>(
        LocalLanguageModel::Options{server.url(), 300, 5, 500, [this] { return clock; }});
    LocalLanguageModel* model = owned.get();
    Classifier front{embeddings(), std::move(owned)};

    std::optional<Classification> ask(const QString& text) {
        return run(front, text, twoLabels, std::nullopt, true);
    }
    QString indicator() {
        QString shown;
        front.refreshEngineIndicator([&](QString t) { shown = t; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }));
        return shown;
    }
};

}  // namespace

TEST_F(WithLanguageModel, AsksTheFirstListedModelInAFreshConversationWhenAllowedElseEmbeddings) {
    server.chatReply = "Label: Design.";
    const auto embeddingAnswer = run(front, "alpha", twoLabels, std::nullopt, false);
    ASSERT_EQ(embeddingAnswer->label, "analysis");
    EXPECT_TRUE(server.requests.empty()) << "switch off: the model is not asked";

    EXPECT_EQ(ask(" alpha\n"), Classification::fromLanguageModel("design"));
    const auto& request = server.requests.back();
    EXPECT_EQ(request.path, "/api/chat");
    EXPECT_EQ(request.body["model"], "tiny:1b");
    EXPECT_EQ(request.body["stream"], false);
    const QString prompt = LanguageModelPrompt::prompt("alpha", twoLabels);
    EXPECT_EQ(
        request.body["messages"],
        (QJsonArray{QJsonObject{{"role", "system"}, {"content", LanguageModelPrompt::instructions}},
                    QJsonObject{{"role", "user"}, {"content", prompt}}}));
    EXPECT_EQ(front.engineIndicator(), "The local language model (on this computer)");

    server.chatReply = "Sorry, none of these fit.";
    EXPECT_EQ(ask("alpha"), embeddingAnswer) << "a reply naming no label";
    server.chatMode = FakeModelServer::Mode::fail;
    EXPECT_EQ(ask("alpha"), embeddingAnswer) << "a failed request";
    server.chatMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(ask("alpha"), embeddingAnswer) << "a hung model gives up after the reply timeout";
}

TEST_F(WithLanguageModel, AvailabilityIsReusedForAFewSecondsAndSilenceMeansUnavailable) {
    QStringList shown;
    front.refreshEngineIndicator([&](QString t) { shown << t; });
    front.refreshEngineIndicator([&](QString t) { shown << t; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }));
    clock += 4;
    EXPECT_EQ(indicator(), Classifier::indicatorLanguageModel);
    EXPECT_EQ(server.requests.size(), 1u) << "one request for all of them";
    clock += 2;
    server.tagsBody = R"({"models":[]})";
    EXPECT_EQ(indicator(), Classifier::indicatorEmbeddings);
    std::optional<QString> reply = "unanswered";
    model->chat("be brief", "Label name:", [&](std::optional<QString> r) { reply = r; });
    EXPECT_EQ(reply, std::nullopt) << "no model to ask";
    clock += 10;
    server.tagsMode = FakeModelServer::Mode::silent;
    EXPECT_EQ(indicator(), Classifier::indicatorEmbeddings);
    EXPECT_EQ(ask("beta")->label, "design");
    EXPECT_EQ(server.requests.size(), 3u) << "and none to a model that is not there";
}
