// A sentence embedding for tests: every known word adds its basis vector, so similarities are
// exact and easy to reason about. Records every text it was asked for.
#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <map>
#include <memory>

#include "intelligence/sentence_embedding.h"

class FakeEmbedding : public SentenceEmbedding {
public:
    explicit FakeEmbedding(QStringList axes, std::shared_ptr<QStringList> calls = nullptr)
        : axes_(std::move(axes)), calls_(std::move(calls)) {}

    std::optional<std::vector<double>> vector(const QString& text) const override {
        if (calls_) calls_->append(text);
        std::vector<double> v(size_t(axes_.size()), 0.0);
        bool any = false;
        static const QRegularExpression nonLetters("[^a-z]+");
        for (const QString& w : text.toLower().split(nonLetters, Qt::SkipEmptyParts)) {
            const qsizetype i = axes_.indexOf(w);
            if (i >= 0) v[size_t(i)] += 1, any = true;
        }
        if (!any) return std::nullopt;
        return v;
    }

private:
    QStringList axes_;
    std::shared_ptr<QStringList> calls_;
};
