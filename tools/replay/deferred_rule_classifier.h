#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "signals/signal_engine.h"

namespace tarnwhistle {

// Rule-category answers (derivation "rule", model "rules", or nothing without a rule), held back
// until drain() is called, as an asynchronous classifier would answer later.
class DeferredRuleClassifier {
  public:
    struct Request {
        QString text;
        CategoryList labels;
        std::optional<QString> rule;
        bool useLanguageModel = false;
    };

    SignalEngine::ClassifyFunction function();
    // Delivers every answer held back, in request order (including answers to requests made
    // while draining). Returns how many were delivered.
    int drain();

    std::vector<Request> requests;  // every request, in order

  private:
    std::vector<std::function<void()>> pending_;
};

}  // namespace tarnwhistle
