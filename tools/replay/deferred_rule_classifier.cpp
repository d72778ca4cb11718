#include "replay/deferred_rule_classifier.h"

namespace tarnwhistle {

SignalEngine::ClassifyFunction DeferredRuleClassifier::function() {
    return
        [this](const QString& text, const CategoryList& labels, const std::optional<QString>& rule,
               bool useLanguageModel, SignalEngine::ClassifyDone done) {
            requests.push_back(Request{text, labels, rule, useLanguageModel});
            pending_.push_back(
                [answer = SignalEngine::ruleOnly(rule), done = std::move(done)] { done(answer); });
        };
}

int DeferredRuleClassifier::drain() {
    int delivered = 0;
    while (!pending_.empty()) {
        auto batch = std::move(pending_);
        pending_.clear();
        for (auto& answer : batch) answer();
        delivered += int(batch.size());
    }
    return delivered;
}

}  // namespace tarnwhistle
