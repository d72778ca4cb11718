// The classifier front: picks one name from a vocabulary for a short text about the work, using
// the local language model when allowed and available, else sentence embeddings, and falling
// back to the rule category when the text says too little.
//
// Main thread only. `classify` always answers later, never inside the call, with the
// completion on the thread the classifier lives on (the main thread for `shared()`).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "config/category_def.h"
#include "intelligence/classification.h"

namespace tarnwhistle {

class EmbeddingClassifier;
class LocalLanguageModel;

class Classifier : public QObject {
    Q_OBJECT
  public:
    using Completion = std::function<void(std::optional<Classification>)>;
    using LabelCompletion = std::function<void(std::optional<QString>)>;

    // The process-wide classifier: the word-vector file found beside the program and the local
    // model server at its fixed address.
    static Classifier& shared();

    // For tests and tools: any embedding classifier (its embedding may be absent) and any
    // language model (nullptr: none on this machine).
    Classifier(std::unique_ptr<EmbeddingClassifier> embedding,
               std::unique_ptr<LocalLanguageModel> languageModel, QObject* parent = nullptr);
    ~Classifier() override;

    // `rule` is the window's rule category, if any; `useAppleIntelligence` is the
    // configuration switch that allows the language model.
    void classify(const QString& text, const CategoryList& labels,
                  const std::optional<QString>& rule, bool useAppleIntelligence,
                  Completion completion);

    // Asks the language model for one vocabulary name; nothing on any failure.
    void foundationModelLabel(const QString& text, const CategoryList& labels,
                              LabelCompletion completion);

    // The "Running on this computer" row of the Settings window, from the last known availability
    // of the language model (never blocks). `refreshEngineIndicator` checks again and answers
    // asynchronously; `engineIndicatorChanged` fires when the text changes.
    QString engineIndicator() const;
    void refreshEngineIndicator(std::function<void(QString)> completion = {});

    static const QString indicatorLanguageModel;  // "The local language model (on this computer)"
    static const QString indicatorEmbeddings;     // "Language embeddings (built into Tarnwhistle)"
    static const QString indicatorRulesOnly;      // "Rules only (no language model available)"

    EmbeddingClassifier& embeddingClassifier() { return *embedding_; }

  signals:
    void engineIndicatorChanged();

  private:
    void classifyOnMain(const QString& text, const CategoryList& labels,
                        const std::optional<QString>& rule, bool useAppleIntelligence,
                        const Completion& completion);
    std::optional<Classification> classifyWithEmbeddings(const QString& text,
                                                         const CategoryList& labels,
                                                         const std::optional<QString>& rule);
    void noteAvailability(bool available);

    std::unique_ptr<EmbeddingClassifier> embedding_;
    std::unique_ptr<LocalLanguageModel> languageModel_;
    bool languageModelAvailable_ = false;
};

}  // namespace tarnwhistle
