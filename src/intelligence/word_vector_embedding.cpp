#include "intelligence/word_vector_embedding.h"

#include "intelligence/stop_words.h"
#include "intelligence/words.h"

namespace tarnwhistle {

std::unique_ptr<WordVectorEmbedding> WordVectorEmbedding::open(const QString& path) {
    std::shared_ptr<const WordVectors> vectors = WordVectors::open(path);
    if (!vectors) return nullptr;
    return std::make_unique<WordVectorEmbedding>(std::move(vectors));
}

std::optional<std::vector<double>> WordVectorEmbedding::vector(const QString& text) const {
    const int dims = vectors_->dimensions();
    std::vector<double> sum(size_t(dims), 0.0);
    int found = 0;
    const auto& stop = StopWords::sentence();
    forEachWord(text, [&](const QString& word) {
        if (stop.contains(word)) return;
        if (auto row = vectors_->row(word.toUtf8())) {
            vectors_->addUnitRow(*row, sum.data());
            ++found;
        }
    });
    if (found == 0) return std::nullopt;
    for (double& v : sum) v /= found;
    return sum;
}

}  // namespace tarnwhistle
