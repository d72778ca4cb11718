#include "intelligence/classifier.h"

#include <QPointer>
#include <algorithm>

#include "base/system_log.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/language_model_prompt.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"

namespace tarnwhistle {

const QString Classifier::indicatorLanguageModel =
    QStringLiteral("The local language model (on this computer)");
const QString Classifier::indicatorEmbeddings =
    QStringLiteral("Language embeddings (built into Tarnwhistle)");
const QString Classifier::indicatorRulesOnly =
    QStringLiteral("Rules only (no language model available)");

namespace {

// Below this the embedding answer is too unsure to beat a rule category the vocabulary knows.
constexpr double minimumEmbeddingProbability = 0.35;
// A winner that leads the rule's own entry (prior bonus included) by less than this overrides a
// right rule more often than it fixes a wrong one. Measured on the labelled window contexts:
// accuracy rises up to about 0.08 and is flat to 0.12; 0.10 is two softmax temperatures, where
// the winner would hold about 0.88 against the rule alone.
constexpr double minimumLeadOverRule = 0.10;

}  // namespace

Classifier& Classifier::shared() {
    static Classifier* instance = [] {
        const QString path = wordVectorFilePath();
        std::unique_ptr<SentenceEmbedding> embedding = WordVectorEmbedding::open(path);
        if (!embedding)
            SystemLog::write(
                QStringLiteral("Tarnwhistle: word vectors unavailable (%1); classifying by rules "
                               "only")
                    .arg(path.isEmpty() ? QString::fromLatin1(wordVectorFileName) : path));
        return new Classifier(std::make_unique<EmbeddingClassifier>(std::move(embedding)),
                              std::make_unique<LocalLanguageModel>());
    }();
    return *instance;
}

Classifier::Classifier(std::unique_ptr<EmbeddingClassifier> embedding,
                       std::unique_ptr<LocalLanguageModel> languageModel, QObject* parent)
    : QObject(parent), embedding_(std::move(embedding)), languageModel_(std::move(languageModel)) {
    if (!embedding_) embedding_ = std::make_unique<EmbeddingClassifier>(nullptr);
}

Classifier::~Classifier() = default;

void Classifier::classify(const QString& text, const CategoryList& labels,
                          const std::optional<QString>& rule, bool useAppleIntelligence,
                          Completion completion) {
    // Always answer later, on this object's thread, never inside the call.
    QMetaObject::invokeMethod(
        this,
        [this, text, labels, rule, useAppleIntelligence, completion = std::move(completion)] {
            classifyOnMain(text, labels, rule, useAppleIntelligence, completion);
        },
        Qt::QueuedConnection);
}

void Classifier::classifyOnMain(const QString& text, const CategoryList& labels,
                                const std::optional<QString>& rule, bool useAppleIntelligence,
                                const Completion& completion) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        completion(rule ? std::optional(Classification::fromRule(*rule)) : std::nullopt);
        return;
    }
    if (!useAppleIntelligence || !languageModel_) {
        completion(classifyWithEmbeddings(trimmed, labels, rule));
        return;
    }
    QPointer<Classifier> self(this);
    languageModel_->checkAvailability([=](bool available) {
        if (!self) return;
        self->noteAvailability(available);
        if (!available) return completion(self->classifyWithEmbeddings(trimmed, labels, rule));
        self->foundationModelLabel(trimmed, labels, [=](std::optional<QString> label) {
            if (!self) return;
            if (label) return completion(Classification::fromLanguageModel(*label));
            completion(self->classifyWithEmbeddings(trimmed, labels, rule));
        });
    });
}

std::optional<Classification> Classifier::classifyWithEmbeddings(
    const QString& text, const CategoryList& labels, const std::optional<QString>& rule) {
    const auto result = embedding_->classify(text, labels, rule);
    if (!result) return rule ? std::optional(Classification::fromRule(*rule)) : std::nullopt;
    const bool ruleKnown = rule && std::any_of(labels.begin(), labels.end(),
                                               [&](const auto& e) { return e.name == *rule; });
    if (ruleKnown && (result->probability < minimumEmbeddingProbability ||
                      (result->label != *rule && result->leadOverPrior &&
                       *result->leadOverPrior < minimumLeadOverRule)))
        return Classification::fromRule(*rule);
    return Classification::fromEmbedding(result->label, result->probability);
}

void Classifier::foundationModelLabel(const QString& text, const CategoryList& labels,
                                      LabelCompletion completion) {
    if (!languageModel_) return completion(std::nullopt);
    languageModel_->chat(
        LanguageModelPrompt::instructions, LanguageModelPrompt::prompt(text, labels),
        [labels, completion = std::move(completion)](std::optional<QString> reply) {
            completion(reply ? LanguageModelPrompt::matchLabel(*reply, labels) : std::nullopt);
        });
}

QString Classifier::engineIndicator() const {
    if (languageModelAvailable_) return indicatorLanguageModel;
    if (embedding_->hasEmbedding()) return indicatorEmbeddings;
    return indicatorRulesOnly;
}

void Classifier::refreshEngineIndicator(std::function<void(QString)> completion) {
    if (!languageModel_) {
        if (completion) completion(engineIndicator());
        return;
    }
    QPointer<Classifier> self(this);
    languageModel_->checkAvailability([self, completion = std::move(completion)](bool available) {
        if (!self) return;
        self->noteAvailability(available);
        if (completion) completion(self->engineIndicator());
    });
}

void Classifier::noteAvailability(bool available) {
    if (available == languageModelAvailable_) return;
    languageModelAvailable_ = available;
    emit engineIndicatorChanged();
}

}  // namespace tarnwhistle
