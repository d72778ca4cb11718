#include <gtest/gtest.h>

#include <cmath>

#include "fake_embedding.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/hint_text.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

EmbeddingClassifier make(std::shared_ptr<QStringList> calls = nullptr) {
    return EmbeddingClassifier(
        std::make_unique<FakeEmbedding>(QStringList{"alpha", "beta", "gamma", "delta"}, calls));
}

// The winner's probability when it leads the only other entry by `gap`.
double softmaxOfGap(double gap) {
    return 1.0 / (1.0 + std::exp(-gap / 0.05));
}

}  // namespace

TEST(EmbeddingClassifier, EmbedsEachEntryAndLongEnoughPhraseOnceAndTextsCutTo1200) {
    auto calls = std::make_shared<QStringList>();
    auto classifier = make(calls);
    const CategoryList labels{{"data_entry", "ab, \tbeta forms ,x,gamma"}};
    classifier.classify("beta", labels, std::nullopt);
    EXPECT_EQ(*calls, (QStringList{"beta", "data entry: ab, \tbeta forms ,x,gamma", "beta forms",
                                   "gamma"}));

    calls->clear();
    classifier.classify("  " + QString(2000, 'a') + " ", labels, std::nullopt);
    EXPECT_EQ(*calls, QStringList{QString(1200, 'a')}) << "phrase vectors are cached";
    classifier.classify("beta", {{"data_entry", "gamma"}}, std::nullopt);
    EXPECT_EQ(calls->size(), 4) << "an edited entry is embedded again";

    EXPECT_FALSE(classifier.classify("alpha", {{"zzz", "unknown"}}, std::nullopt))
        << "an entry with no vector takes no part";
}

TEST(EmbeddingClassifier, ScoresPhrasesKeywordsAndPriorIntoOneSoftmax) {
    // Text (1,0,0,0). "a": sentence (1,2,2,2), phrases (1,0,0,0) and (0,1,1,1) twice.
    // "b": sentence (2,1,1,0), phrases (1,1,0,0) and (1,0,1,0). Both share the keyword "alpha".
    const CategoryList phrases{{"a", "alpha, beta gamma delta, beta gamma delta"},
                               {"b", "alpha beta, alpha gamma"}};
    const double a = 0.7 * 1.0 + 0.3 * (1 / std::sqrt(13.0));
    const double b = 0.7 * (2 / std::sqrt(6.0)) + 0.3 * (1 / std::sqrt(2.0));
    const CategoryList same{{"first", "alpha"}, {"second", "alpha"}};
    // Same vectors; only the extra keywords of "keyed" make a difference.
    const CategoryList keyed{{"plain", "alpha"},
                             {"keyed", "alpha, invoices, payroll, ledger, receipts"}};
    const CategoryList ab{{"a", "alpha"}, {"b", "beta"}};
    const CategoryList sentenceOnly{{"zzz", "unknown"}, {"alpha", "ab"}};
    const std::optional<QString> none;
    const struct {
        const char* what;
        QString text;
        const CategoryList& labels;
        std::optional<QString> prior;
        QString label;
        double probability;
    } rows[] = {
        {"best phrase 0.7, second 0.3", "alpha", phrases, none, "b", softmaxOfGap(b - a)},
        {"a lone entry is certain, on its sentence alone", "alpha", sentenceOnly, none, "alpha",
         1.0},
        {"ties go to the first", "alpha", same, QString("Second"), "first", 0.5},
        {"the prior bonus needs the exact name", "alpha", same, QString("second"), "second",
         softmaxOfGap(0.05)},
        {"a keyword counts once", "Alpha invoices INVOICES invoices", keyed, none, "keyed",
         softmaxOfGap(0.04)},
        {"keywords count up to three", "alpha invoices payroll ledger receipts", keyed, none,
         "keyed", softmaxOfGap(0.12 - 0.04)},
        {"the hint's application name takes no part",
         "App: Alpha. Window: beta - Alpha. Site: none. Type: other.", ab, none, "b",
         softmaxOfGap(1.04)},
        {"without a hint every word counts", "Alpha: beta", ab, none, "a", 0.5},
    };
    auto classifier = make();
    for (const auto& row : rows) {
        const auto r = classifier.classify(row.text, row.labels, row.prior);
        ASSERT_TRUE(r) << row.what;
        EXPECT_EQ(r->label, row.label) << row.what;
        EXPECT_NEAR(r->probability, row.probability, 1e-9) << row.what;
    }
    // Hint template words and pieces under 3 letters are no keywords.
    EXPECT_EQ(EmbeddingClassifier::words("App: Slack. Window: Re: the Q3 plan — Über-Budget"),
              (QSet<QString>{"slack", "plan", "über", "budget"}));
}

TEST(HintText, DropsTheApplicationNameWordsOnlyFromAHint) {
    for (const QStringList& row : dataRows("intelligence/hint-text.txt", 2))
        EXPECT_EQ(HintText::withoutApplicationName(row[0]), row[1]) << row[0];
}
