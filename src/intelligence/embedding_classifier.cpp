#include "intelligence/embedding_classifier.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "base/text_trim.h"
#include "intelligence/hint_text.h"
#include "intelligence/stop_words.h"
#include "intelligence/words.h"

namespace tarnwhistle {

namespace {

// Over the first n components, n the shorter length; 0 when either length is 0.
double cosine(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    double dot = 0, na = 0, nb = 0;
    for (size_t i = 0; i < n; ++i) {
        dot += a[i] * b[i];
        na += a[i] * a[i];
        nb += b[i] * b[i];
    }
    if (na == 0 || nb == 0) return 0;
    return dot / (std::sqrt(na) * std::sqrt(nb));
}

QString spacedName(const CategoryDef& entry) {
    QString name = entry.name;
    return name.replace('_', ' ');
}

}  // namespace

EmbeddingClassifier::EmbeddingClassifier(std::unique_ptr<SentenceEmbedding> embedding)
    : embedding_(std::move(embedding)) {}

std::optional<EmbeddingClassifier::Vector> EmbeddingClassifier::vector(const QString& text) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !embedding_) return std::nullopt;
    return embedding_->vector(trimmed.left(maxEmbeddedChars));
}

const std::vector<EmbeddingClassifier::Vector>& EmbeddingClassifier::labelVectors(
    const CategoryDef& entry) {
    const QString key = entry.name + '|' + entry.description;
    if (auto it = phraseCache_.constFind(key); it != phraseCache_.constEnd()) return *it;
    QStringList phrases{spacedName(entry) + ": " + entry.description};
    for (const QString& part : entry.description.split(',')) {
        const QString phrase = Text::trimHorizontalSpace(part);
        if (phrase.size() >= 3) phrases << phrase;
    }
    std::vector<Vector> vectors;
    for (const QString& phrase : phrases) {
        if (auto v = vector(phrase)) vectors.push_back(std::move(*v));
    }
    return *phraseCache_.insert(key, std::move(vectors));
}

QSet<QString> EmbeddingClassifier::words(const QString& text) {
    QSet<QString> result;
    const auto& stop = StopWords::classifier();
    forEachWord(text, [&](const QString& word) {
        if (word.size() >= 3 && !stop.contains(word)) result.insert(word);
    });
    return result;
}

const QSet<QString>& EmbeddingClassifier::keywordsFor(const CategoryDef& entry) {
    const QString key = entry.name + entry.description;
    if (auto it = keywordCache_.constFind(key); it != keywordCache_.constEnd()) return *it;
    return *keywordCache_.insert(key, words(spacedName(entry) + ' ' + entry.description));
}

std::optional<EmbeddingClassifier::Result> EmbeddingClassifier::classify(
    const QString& text, const CategoryList& labels, const std::optional<QString>& prior) {
    const QString focus = HintText::withoutApplicationName(text.trimmed().left(maxEmbeddedChars));
    const auto textVector = vector(focus);
    if (!textVector || labels.empty()) return std::nullopt;
    const QSet<QString> textWords = words(focus);

    std::vector<std::pair<const CategoryDef*, double>> scores;
    std::vector<double> similarities;
    for (const CategoryDef& entry : labels) {
        const auto& phraseVectors = labelVectors(entry);
        if (phraseVectors.empty()) continue;
        similarities.clear();
        for (const auto& pv : phraseVectors) similarities.push_back(cosine(*textVector, pv));
        std::partial_sort(similarities.begin(),
                          similarities.begin() + std::min<size_t>(2, similarities.size()),
                          similarities.end(), std::greater<>());
        double score = similarities.size() >= 2 ? 0.7 * similarities[0] + 0.3 * similarities[1]
                                                : similarities[0];
        int shared = 0;
        for (const QString& keyword : keywordsFor(entry))
            shared += textWords.contains(keyword) ? 1 : 0;
        score += 0.04 * std::min(shared, 3);
        if (prior && *prior == entry.name) score += 0.05;
        scores.emplace_back(&entry, score);
    }
    if (scores.empty()) return std::nullopt;

    // First-listed wins ties: only a strictly higher score replaces the winner.
    size_t winner = 0;
    for (size_t i = 1; i < scores.size(); ++i) {
        if (scores[i].second > scores[winner].second) winner = i;
    }
    const double best = scores[winner].second;
    double sum = 0;
    std::optional<double> leadOverPrior;
    for (const auto& s : scores) {
        sum += std::exp((s.second - best) / temperature);
        if (prior && !leadOverPrior && s.first->name == *prior) leadOverPrior = best - s.second;
    }
    return Result{scores[winner].first->name, 1.0 / sum, leadOverPrior};
}

}  // namespace tarnwhistle
