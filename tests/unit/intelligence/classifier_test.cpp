#include <gtest/gtest.h>

#include <QTest>

#include "fake_embedding.h"
#include "fake_model_server.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"

namespace {

std::unique_ptr<EmbeddingClassifier> embeddings(bool present = true) {
    return std::make_unique<EmbeddingClassifier>(
        present ? std::make_unique<FakeEmbedding>(QStringList{"alpha", "beta"}) : nullptr);
}

std::unique_ptr<LocalLanguageModel> modelAt(const QUrl& url) {
    return std::make_unique<LocalLanguageModel>(LocalLanguageModel::Options{url, 300, 5, 1000, {}});
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

TEST(Classifier, FallsBackToTheRuleWhenTheTextOrTheEmbeddingSaysNothing) {
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
}

TEST(Classifier, TheRuleStandsAgainstAnUnsureEmbeddingOrALeadOfLessThanATenth) {
    Classifier c(embeddings(), nullptr);
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

TEST(Classifier, LanguageModelAnswersWhenAllowedAndAvailableElseEmbeddings) {
    FakeModelServer server;
    server.chatReply = "Label: Design.";
    Classifier c(embeddings(), modelAt(server.url()));
    const auto embeddingAnswer = run(c, "alpha", twoLabels, std::nullopt, false);
    ASSERT_EQ(embeddingAnswer->label, "analysis");
    EXPECT_TRUE(server.requests.empty()) << "switch off: the model is not asked";

    EXPECT_EQ(run(c, " alpha\n", twoLabels, std::nullopt, true),
              Classification::fromLanguageModel("design"));
    EXPECT_TRUE(server.requests.back().body["messages"][1]["content"].toString().contains(
        "Work context:\nalpha\n\nLabel name:"));
    EXPECT_EQ(c.engineIndicator(), "The local language model (on this computer)");

    server.chatReply = "Sorry, none of these fit.";
    EXPECT_EQ(run(c, "alpha", twoLabels, std::nullopt, true), embeddingAnswer);
    server.chatMode = FakeModelServer::Mode::fail;
    EXPECT_EQ(run(c, "alpha", twoLabels, std::nullopt, true), embeddingAnswer);
    Classifier noServer(embeddings(), modelAt(QUrl("http://127.0.0.1:1")));
    EXPECT_EQ(run(noServer, "alpha", twoLabels, std::nullopt, true), embeddingAnswer);
    QString indicator;
    noServer.refreshEngineIndicator([&](QString t) { indicator = t; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !indicator.isEmpty(); }));
    EXPECT_EQ(indicator, "Language embeddings (built into Tarnwhistle)");
}
