// A sentence embedding: text to one vector, or nothing when it has no vector for the text.
// The classifier's constants (cosine similarities, 0.05 softmax temperature) assume vectors
// whose cosines spread over a useful range.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarnwhistle {

class SentenceEmbedding {
  public:
    virtual ~SentenceEmbedding() = default;
    virtual std::optional<std::vector<double>> vector(const QString& text) const = 0;
};

}  // namespace tarnwhistle
