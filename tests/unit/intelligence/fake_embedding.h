// A sentence embedding for tests: every known word adds its basis vector, so similarities are
// exact and easy to reason about. Records every text it was asked for.
#pragma once

#include <QStringList>
#include <memory>

#include "intelligence/sentence_embedding.h"
#include "intelligence/words.h"

class FakeEmbedding : public SentenceEmbedding {
  public:
    explicit FakeEmbedding(QStringList axes, std::shared_ptr<QStringList> calls = nullptr)
        : axes_(std::move(axes)), calls_(std::move(calls)) {}

    std::optional<std::vector<double>> vector(const QString& text) const override {
        if (calls_) calls_->append(text);
        std::vector<double> v(size_t(axes_.size()), 0.0);
        bool any = false;
        forEachWord(text, [&](const QString& w) {
            if (const qsizetype i = axes_.indexOf(w); i >= 0) v[size_t(i)] += 1, any = true;
        });
        return any ? std::optional(v) : std::nullopt;
    }

  private:
    QStringList axes_;
    std::shared_ptr<QStringList> calls_;
};
