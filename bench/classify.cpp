// Classifier speed: a warm classification of a 1 500-character window text against the ten
// default work categories (target under 0.2 ms), and the cold first call (opening the word
// vectors and embedding the vocabulary).
#include <benchmark/benchmark.h>

#include <QEventLoop>

#include "config/deployment_config.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"

namespace {

QString windowText() {
    QString text =
        "App: Google Chrome. Window: Fix race in cache invalidation · Pull Request · acme/api. "
        "Site: github.com. Type: browser.";
    const QStringList lines{
        "Files changed 6  Conversation  Commits  Checks",
        "Approve  Request changes  Comment",
        "+ mutex.lock() before reading the entry so that a concurrent refresh cannot free it",
        "- return cache.find(key)->second;",
        "Reviewers: two approvals required before merging into main",
        "All checks have passed: build, unit tests, integration tests, lint",
    };
    for (int i = 0; text.size() < 1500; ++i) text += '\n' + lines[i % lines.size()];
    return text.left(1500);
}

std::unique_ptr<EmbeddingClassifier> openClassifier() {
    return std::make_unique<EmbeddingClassifier>(WordVectorEmbedding::open(wordVectorFilePath()));
}

void BM_EmbeddingClassifyWarm(benchmark::State& state) {
    auto classifier = openClassifier();
    if (!classifier->hasEmbedding()) return state.SkipWithError("word-vectors.bin missing");
    const auto labels = DeploymentConfig::defaultWorkCategories();
    const QString text = windowText();
    classifier->classify(text, labels, QString("development"));
    for (auto _ : state) benchmark::DoNotOptimize(classifier->classify(text, labels, QString("development")));
}
BENCHMARK(BM_EmbeddingClassifyWarm)->Unit(benchmark::kMicrosecond);

// The same through the front, including its hop back to the event loop.
void BM_FrontClassifyWarm(benchmark::State& state) {
    Classifier front(openClassifier(), nullptr);
    if (!front.embeddingClassifier().hasEmbedding())
        return state.SkipWithError("word-vectors.bin missing");
    const auto labels = DeploymentConfig::defaultWorkCategories();
    const QString text = windowText();
    QEventLoop loop;
    auto once = [&] {
        front.classify(text, labels, QString("development"), false,
                       [&](std::optional<Classification> r) {
                           benchmark::DoNotOptimize(r);
                           loop.quit();
                       });
        loop.exec();
    };
    once();
    for (auto _ : state) once();
}
BENCHMARK(BM_FrontClassifyWarm)->Unit(benchmark::kMicrosecond);

// A fresh classifier each time: open the file, embed every vocabulary phrase, classify.
void BM_ClassifyCold(benchmark::State& state) {
    const auto labels = DeploymentConfig::defaultWorkCategories();
    const QString text = windowText();
    for (auto _ : state) {
        auto classifier = openClassifier();
        if (!classifier->hasEmbedding()) return state.SkipWithError("word-vectors.bin missing");
        benchmark::DoNotOptimize(classifier->classify(text, labels, QString("development")));
    }
}
BENCHMARK(BM_ClassifyCold)->Unit(benchmark::kMicrosecond);

}  // namespace
