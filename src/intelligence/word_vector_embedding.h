// The English sentence embedding: the mean of the text's word vectors, each scaled to unit
// length so that frequent words with long vectors do not outweigh the telling ones.
// Lower-cased, split at every character that is not a letter, stop words dropped; a text with
// no known word has no vector.
#pragma once

#include <memory>

#include "intelligence/sentence_embedding.h"
#include "intelligence/word_vectors.h"

namespace tarnwhistle {

class WordVectorEmbedding : public SentenceEmbedding {
  public:
    explicit WordVectorEmbedding(std::shared_ptr<const WordVectors> vectors)
        : vectors_(std::move(vectors)) {}

    // Nothing when the file cannot be used.
    static std::unique_ptr<WordVectorEmbedding> open(const QString& path);

    std::optional<std::vector<double>> vector(const QString& text) const override;

  private:
    std::shared_ptr<const WordVectors> vectors_;
};

}  // namespace tarnwhistle
