#include <gtest/gtest.h>

#include <cmath>

#include "fake_embedding.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/hint_text.h"

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
    auto r = classifier.classify("beta", labels, std::nullopt);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->probability, 1.0) << "a lone entry is certain";
    EXPECT_EQ(*calls, (QStringList{"beta", "data entry: ab, \tbeta forms ,x,gamma", "beta forms",
                                   "gamma"}));

    calls->clear();
    classifier.classify("  " + QString(2000, 'a') + " ", labels, std::nullopt);
    EXPECT_EQ(*calls, QStringList{QString(1200, 'a')}) << "phrase vectors are cached";
    classifier.classify("beta", {{"data_entry", "gamma"}}, std::nullopt);
    EXPECT_EQ(calls->size(), 4) << "an edited entry is embedded again";

    // An entry with no phrase of 3 characters still scores on its whole sentence; one with no
    // vector at all takes no part.
    EXPECT_EQ(
        classifier.classify("alpha", {{"zzz", "unknown"}, {"alpha", "ab"}}, std::nullopt)->label,
        "alpha");
    EXPECT_FALSE(classifier.classify("alpha", {{"zzz", "unknown"}}, std::nullopt));
}

TEST(EmbeddingClassifier, ScoresBestPhraseAtSevenTenthsAndSecondAtThreeTenths) {
    auto classifier = make();
    // Text (1,0,0,0). "a": sentence (1,2,2,2), phrases (1,0,0,0) and (0,1,1,1) twice.
    // "b": sentence (2,1,1,0), phrases (1,1,0,0) and (1,0,1,0). Both share the keyword "alpha".
    const CategoryList labels{{"a", "alpha, beta gamma delta, beta gamma delta"},
                              {"b", "alpha beta, alpha gamma"}};
    const double a = 0.7 * 1.0 + 0.3 * (1 / std::sqrt(13.0));
    const double b = 0.7 * (2 / std::sqrt(6.0)) + 0.3 * (1 / std::sqrt(2.0));
    auto r = classifier.classify("alpha", labels, std::nullopt);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "b");
    EXPECT_NEAR(r->probability, softmaxOfGap(b - a), 1e-9);
}

TEST(EmbeddingClassifier, TiesGoFirstAndPriorBonusNeedsTheExactName) {
    auto classifier = make();
    const CategoryList labels{{"first", "alpha"}, {"second", "alpha"}};
    auto r = classifier.classify("alpha", labels, QString("Second"));
    EXPECT_EQ(r->label, "first");
    EXPECT_DOUBLE_EQ(r->probability, 0.5);
    r = classifier.classify("alpha", labels, QString("second"));
    EXPECT_EQ(r->label, "second");
    EXPECT_NEAR(r->probability, softmaxOfGap(0.05), 1e-9);  // about 0.73
}

TEST(EmbeddingClassifier, KeywordBonusCountsEachWordOnceUpToThree) {
    auto classifier = make();
    // Same vectors for both entries; both share "alpha" with the text, so only the extra
    // keywords of "keyed" make a difference.
    const CategoryList labels{{"plain", "alpha"},
                              {"keyed", "alpha, invoices, payroll, ledger, receipts"}};
    auto once = classifier.classify("Alpha invoices INVOICES invoices", labels, std::nullopt);
    EXPECT_EQ(once->label, "keyed");
    EXPECT_NEAR(once->probability, softmaxOfGap(0.04), 1e-9);
    auto capped =
        classifier.classify("alpha invoices payroll ledger receipts", labels, std::nullopt);
    EXPECT_NEAR(capped->probability, softmaxOfGap(0.12 - 0.04), 1e-9);
    // Hint template words and pieces under 3 letters are no keywords.
    EXPECT_EQ(EmbeddingClassifier::words("App: Slack. Window: Re: the Q3 plan — Über-Budget"),
              (QSet<QString>{"slack", "plan", "über", "budget"}));
}

TEST(EmbeddingClassifier, TheHintsApplicationNameTakesNoPart) {
    auto classifier = make();
    const CategoryList labels{{"a", "alpha"}, {"b", "beta"}};
    auto r = classifier.classify("App: Alpha. Window: beta - Alpha. Site: none. Type: other.",
                                 labels, std::nullopt);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "b");
    EXPECT_GT(r->probability, 0.99);
    // Without a hint every word counts: the two tie and the first wins.
    EXPECT_EQ(classifier.classify("Alpha: beta", labels, std::nullopt)->label, "a");
}

TEST(HintText, DropsTheApplicationNameWordsOnlyFromAHint) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"App: Google Chrome. Window: Google Meet - Google Chrome. Site: meet.google.com.",
         "Window:  Meet -  . Site: meet..com."},
        {"App: Files. Window: Reports. Site: none.\nfiles to check",
         "Window: Reports. Site: none.\n to check"},
        {"App: Files without a window part", "App: Files without a window part"},
        {"Notes. App: Files. Window: x", "Notes. App: Files. Window: x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HintText::withoutApplicationName(c.text), c.expected) << c.text;
}
