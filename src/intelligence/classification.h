// The answer of the classifier front: one vocabulary name (or the rule category), how it was
// derived and by which model. Only this leaves the classifier; the text never does.
#pragma once

#include <QString>
#include <optional>

namespace tarnwhistle {

struct Classification {
    QString label;
    std::optional<double> confidence;  // embedding probability; absent for rule and model answers
    QString derivation;                // "model" or "rule"
    QString model;  // "apple-nl-sentence-embedding", "apple-foundation-model" or "rules"

    // The three combinations that occur.
    static Classification fromRule(const QString& rule);
    static Classification fromEmbedding(const QString& label, double probability);
    static Classification fromLanguageModel(const QString& label);

    bool operator==(const Classification&) const = default;
};

}  // namespace tarnwhistle
