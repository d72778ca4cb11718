// Picks the vocabulary entry whose description is closest in meaning to a short text about the
// work: cosine similarity of sentence vectors with each entry's phrases, a small bonus for
// shared keywords and for agreeing with the rule category, and a sharp softmax for how sure it
// is. Main thread only (its caches have no locks).
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "config/category_def.h"
#include "intelligence/sentence_embedding.h"

namespace tarnwhistle {

class EmbeddingClassifier {
  public:
    struct Result {
        QString label;
        double probability = 0;
        // The winner's score less the prior entry's; absent when no entry named as the prior
        // took part.
        std::optional<double> leadOverPrior;
    };

    // `embedding` may be null: a machine without one, where every call gives nothing.
    explicit EmbeddingClassifier(std::unique_ptr<SentenceEmbedding> embedding);

    bool hasEmbedding() const { return embedding_ != nullptr; }

    // `prior` is the rule category, if any. A classifier hint's application name is left out
    // of the comparison (HintText).
    std::optional<Result> classify(const QString& text, const CategoryList& labels,
                                   const std::optional<QString>& prior);

    // Lower-cased words of 3 letters or more that are not stop words.
    static QSet<QString> words(const QString& text);

    static constexpr int maxEmbeddedChars = 1200;
    static constexpr double temperature = 0.05;

  private:
    using Vector = std::vector<double>;
    std::optional<Vector> vector(const QString& text) const;
    const std::vector<Vector>& labelVectors(const CategoryDef& entry);
    const QSet<QString>& keywordsFor(const CategoryDef& entry);

    std::unique_ptr<SentenceEmbedding> embedding_;
    QHash<QString, std::vector<Vector>> phraseCache_;  // "name|description"
    QHash<QString, QSet<QString>> keywordCache_;       // "namedescription"
};

}  // namespace tarnwhistle
