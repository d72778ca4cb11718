#include <gtest/gtest.h>

#include <QSignalSpy>

#include "fake_embedding.h"
#include "fake_model_server.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "wait_for.h"

namespace {

const QStringList axes{"alpha", "beta", "gamma"};

std::unique_ptr<EmbeddingClassifier> embeddings() {
    return std::make_unique<EmbeddingClassifier>(std::make_unique<FakeEmbedding>(axes));
}

std::unique_ptr<LocalLanguageModel> modelAt(const QUrl& url) {
    return std::make_unique<LocalLanguageModel>(LocalLanguageModel::Options{url, 300, 5, 1000, {}});
}

// Waits for the completion and checks it came exactly once.
std::optional<Classification> run(Classifier& c, const QString& text, const CategoryList& labels,
                                  std::optional<QString> rule, bool useModel = false) {
    int calls = 0;
    std::optional<Classification> result;
    c.classify(text, labels, rule, useModel, [&](std::optional<Classification> r) {
        result = std::move(r);
        ++calls;
    });
    EXPECT_EQ(calls, 0) << "the completion never runs inside classify";
    EXPECT_TRUE(waitFor([&] { return calls > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    return result;
}

// n entries that all score the same on "alpha".
CategoryList equalEntries(const QStringList& names) {
    CategoryList labels;
    for (const auto& n : names) labels.push_back({n, "alpha"});
    return labels;
}

}  // namespace

TEST(Classifier, EmptyTextFallsBackToTheRuleWhateverTheVocabulary) {
    Classifier c(embeddings(), nullptr);
    EXPECT_EQ(run(c, " \n ", {{"design", "alpha"}}, QString("development")),
              Classification::fromRule("development"));
    EXPECT_EQ(run(c, " \n ", {{"design", "alpha"}}, std::nullopt), std::nullopt);
}

TEST(Classifier, UnsureEmbeddingGivesWayToARuleTheVocabularyKnows) {
    Classifier c(embeddings(), nullptr);
    // Seven equal entries, the rule's with its 0.05 prior bonus: e / (e + 6) ≈ 0.31 < 0.35.
    const auto seven = equalEntries({"a", "b", "c", "d", "e", "f", "analysis"});
    EXPECT_EQ(run(c, "alpha", seven, QString("analysis")), Classification::fromRule("analysis"));

    // A rule the vocabulary does not hold never overrides: five equal entries, first wins 0.2.
    const auto five = equalEntries({"a", "b", "c", "d", "e"});
    auto r = run(c, "alpha", five, QString("analysis"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "a");
    EXPECT_EQ(r->derivation, "model");
    EXPECT_EQ(r->model, "apple-nl-sentence-embedding");
    EXPECT_NEAR(*r->confidence, 0.2, 1e-9);

    // Sure enough: the embedding answer stands even against a known rule.
    r = run(c, "beta", {{"analysis", "alpha"}, {"design", "beta"}}, QString("analysis"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "design");
    EXPECT_GT(*r->confidence, 0.35);
}

TEST(Classifier, WithoutEmbeddingOnlyRulesRemain) {
    Classifier c(std::make_unique<EmbeddingClassifier>(nullptr), nullptr);
    EXPECT_EQ(run(c, "alpha", equalEntries({"a"}), QString("design")),
              Classification::fromRule("design"));
    EXPECT_EQ(run(c, "alpha", equalEntries({"a"}), std::nullopt), std::nullopt);
    EXPECT_EQ(c.engineIndicator(), "Rules only (no language model available)");
    // Empty vocabulary: the rule category still comes through.
    Classifier withEmbedding(embeddings(), nullptr);
    EXPECT_EQ(run(withEmbedding, "alpha", {}, QString("design")), Classification::fromRule("design"));
    EXPECT_EQ(withEmbedding.engineIndicator(), "Apple language embeddings (built into macOS)");
}

TEST(Classifier, AsksTheLanguageModelOnlyWhenAllowedAndAvailable) {
    FakeModelServer server;
    server.chatReply = "Label: Design.";
    Classifier c(embeddings(), modelAt(server.url()));
    const CategoryList labels{{"analysis", "alpha"}, {"design", "beta"}};

    EXPECT_EQ(run(c, "alpha", labels, std::nullopt, true), Classification::fromLanguageModel("design"));
    const auto& chat = server.requests.back();
    EXPECT_TRUE(chat.body["messages"][1]["content"].toString().contains("Work context:\nalpha\n"))
        << "the trimmed text is sent";

    const size_t asked = server.requests.size();
    EXPECT_EQ(run(c, "alpha", labels, std::nullopt, false)->label, "analysis");
    EXPECT_EQ(server.requests.size(), asked) << "switch off: the model is not asked";
}

TEST(Classifier, LanguageModelFailuresFallThroughToEmbeddings) {
    FakeModelServer server;
    Classifier c(embeddings(), modelAt(server.url()));
    const CategoryList labels{{"analysis", "alpha"}, {"design", "beta"}};
    const auto offAnswer = run(c, "alpha", labels, std::nullopt, false);
    ASSERT_TRUE(offAnswer);

    server.chatReply = "Sorry, none of these fit.";
    EXPECT_EQ(run(c, "alpha", labels, std::nullopt, true), offAnswer);
    server.chatMode = FakeModelServer::Mode::fail;
    EXPECT_EQ(run(c, "alpha", labels, std::nullopt, true), offAnswer);

    // Switch on but no model server at all: identical to the switch being off.
    Classifier noServer(embeddings(), modelAt(QUrl("http://127.0.0.1:1")));
    EXPECT_EQ(run(noServer, "alpha", labels, std::nullopt, true), offAnswer);
}

TEST(Classifier, IndicatorFollowsTheLanguageModelsAvailability) {
    FakeModelServer server;
    Classifier c(embeddings(), modelAt(server.url()));
    QSignalSpy changed(&c, &Classifier::engineIndicatorChanged);
    EXPECT_EQ(c.engineIndicator(), "Apple language embeddings (built into macOS)");
    QString text;
    c.refreshEngineIndicator([&](QString t) { text = t; });
    ASSERT_TRUE(waitFor([&] { return !text.isEmpty(); }));
    EXPECT_EQ(text, "Apple Intelligence (on this Mac)");
    EXPECT_EQ(c.engineIndicator(), text);
    EXPECT_EQ(changed.count(), 1);
}
