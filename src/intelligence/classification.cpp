#include "intelligence/classification.h"

namespace tarnwhistle {

Classification Classification::fromRule(const QString& rule) {
    return {rule, std::nullopt, QStringLiteral("rule"), QStringLiteral("rules")};
}

Classification Classification::fromEmbedding(const QString& label, double probability) {
    return {label, probability, QStringLiteral("model"),
            QStringLiteral("apple-nl-sentence-embedding")};
}

Classification Classification::fromLanguageModel(const QString& label) {
    return {label, std::nullopt, QStringLiteral("model"), QStringLiteral("apple-foundation-model")};
}

}  // namespace tarnwhistle
