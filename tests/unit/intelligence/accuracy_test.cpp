// Accuracy on the labelled window contexts (tests/data/intelligence): rules alone, the
// embedding alone, and the full front (embedding with the rule as prior and fallback), per set.
// Sets written as raw windows get the engine's hint and the rule category from the real tables
// and the capture layer's id mapping, so they measure what the agent does.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cstdio>

#include "capture/application_id.h"
#include "config/deployment_config.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "privacy/privacy.h"
#include "test_data.h"

namespace {

struct Example {
    QString text;
    std::optional<QString> rule;
    QString label;
};

std::optional<QString> stringOrNothing(const QJsonValue& v) {
    return v.isString() ? std::optional(v.toString()) : std::nullopt;
}

// A raw window as the engine sees it: its hint (as the signal engine writes it) and snippet.
Example fromWindow(const QJsonObject& o, const DeploymentConfig& cfg) {
    const QString raw = o["bundle_id"].toString();
    const QString bundleId = ApplicationId::canonical(raw).value_or(raw);
    const QString title = o["title"].toString();
    const auto url = stringOrNothing(o["url"]);
    const auto host = Privacy::host(url);
    const QString titleClass =
        Privacy::titleClass(bundleId, title, host, url, o["document_path"].isString());
    const QString hint = QStringLiteral("App: %1. Window: %2. Site: %3. Type: %4.")
                             .arg(o["app_name"].toString(), Privacy::redact(title),
                                  host.value_or(QStringLiteral("none")), titleClass);
    return {hint + '\n' + o["text"].toString(), Privacy::ruleCategory(bundleId, host, url, cfg),
            o["label"].toString()};
}

std::vector<Example> labelledSet(const QString& name) {
    const QString path = QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/intelligence/") + name;
    const DeploymentConfig cfg;
    std::vector<Example> examples;
    for (const QByteArray& line : fileContents(path + ".jsonl").split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty()) continue;
        if (o.contains("bundle_id"))
            examples.push_back(fromWindow(o, cfg));
        else
            examples.push_back(
                {o["text"].toString(), stringOrNothing(o["rule"]), o["label"].toString()});
    }
    return examples;
}

class ClassifierAccuracy : public testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(ClassifierAccuracy, FrontBeatsRulesAloneByFivePoints) {
    const auto examples = labelledSet(QString::fromLatin1(GetParam()));
    ASSERT_FALSE(examples.empty());
    const QString path = wordVectorFilePath();
    EmbeddingClassifier embeddingAlone(WordVectorEmbedding::open(path));
    ASSERT_TRUE(embeddingAlone.hasEmbedding()) << "word-vectors.bin missing: run scripts/setup";
    Classifier front(std::make_unique<EmbeddingClassifier>(WordVectorEmbedding::open(path)),
                     nullptr);
    const CategoryList labels = DeploymentConfig::defaultWorkCategories();

    int rules = 0, embedding = 0, answered = 0, right = 0;
    for (const auto& e : examples) {
        front.classify(e.text, labels, e.rule, false, [&](std::optional<Classification> r) {
            right += r && r->label == e.label ? 1 : 0;
            ++answered;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answered == int(&e - examples.data()) + 1; }));
        const auto alone = embeddingAlone.classify(e.text, labels, std::nullopt);
        rules += e.rule == e.label ? 1 : 0;
        embedding += alone && alone->label == e.label ? 1 : 0;
    }
    const double n = double(examples.size());
    std::printf("accuracy on %s (%zu): rules %.3f  embedding %.3f  front %.3f\n", GetParam(),
                examples.size(), rules / n, embedding / n, right / n);
    EXPECT_GE((right - rules) * 100, 5 * int(examples.size()));
}

INSTANTIATE_TEST_SUITE_P(LabelledSets, ClassifierAccuracy,
                         testing::Values("window_contexts", "linux_contexts_tune",
                                         "linux_contexts_holdout"),
                         [](const auto& info) { return std::string(info.param); });
