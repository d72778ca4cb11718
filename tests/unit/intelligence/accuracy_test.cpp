// Accuracy on the labelled window contexts (tests/data/intelligence): rules alone, the
// embedding alone, and the full front (embedding with the rule as prior and fallback).
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "config/deployment_config.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "wait_for.h"

namespace {

struct Example {
    QString text;
    std::optional<QString> rule;
    QString label;
};

std::vector<Example> labelledContexts() {
    QFile f(TARNWHISTLE_TEST_DATA_DIR "/intelligence/window_contexts.jsonl");
    f.open(QIODevice::ReadOnly);
    std::vector<Example> examples;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty()) continue;
        const QJsonValue rule = o["rule"];
        examples.push_back({o["text"].toString(),
                            rule.isString() ? std::optional(rule.toString()) : std::nullopt,
                            o["label"].toString()});
    }
    return examples;
}

}  // namespace

TEST(ClassifierAccuracy, FrontBeatsRulesAloneOnLabelledWindowContexts) {
    const auto examples = labelledContexts();
    ASSERT_GE(examples.size(), 100u);
    const QString path = wordVectorFilePath();
    ASSERT_FALSE(path.isEmpty()) << "word-vectors.bin missing: run scripts/setup";
    auto openEmbedding = [&] {
        return std::make_unique<EmbeddingClassifier>(WordVectorEmbedding::open(path));
    };
    auto embeddingAlone = openEmbedding();
    ASSERT_TRUE(embeddingAlone->hasEmbedding());
    Classifier front(openEmbedding(), nullptr);
    const CategoryList labels = DeploymentConfig::defaultWorkCategories();

    int byRules = 0, byEmbedding = 0, byFront = 0, answered = 0;
    for (const auto& e : examples) {
        byRules += e.rule == e.label ? 1 : 0;
        const auto alone = embeddingAlone->classify(e.text, labels, std::nullopt);
        byEmbedding += alone && alone->label == e.label ? 1 : 0;
        std::optional<Classification> result;
        front.classify(e.text, labels, e.rule, false,
                       [&](std::optional<Classification> r) { result = r, ++answered; });
        ASSERT_TRUE(waitFor([&] { return answered == int(&e - examples.data()) + 1; }));
        byFront += result && result->label == e.label ? 1 : 0;
    }
    const double n = double(examples.size());
    std::printf("accuracy on %zu window contexts: rules %.3f, embedding %.3f, front %.3f\n",
                examples.size(), byRules / n, byEmbedding / n, byFront / n);
    EXPECT_GT(byFront, byRules);
    EXPECT_GT(byEmbedding, 0);
}
