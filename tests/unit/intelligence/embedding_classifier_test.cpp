#include <gtest/gtest.h>

#include <cmath>

#include "fake_embedding.h"
#include "intelligence/embedding_classifier.h"

namespace {

const QStringList axes{"alpha", "beta", "gamma", "delta"};

EmbeddingClassifier make(std::shared_ptr<QStringList> calls = nullptr) {
    return EmbeddingClassifier(std::make_unique<FakeEmbedding>(axes, std::move(calls)));
}

double softmaxOfGap(double gap) { return 1.0 / (1.0 + std::exp(-gap / 0.05)); }

}  // namespace

TEST(EmbeddingClassifier, GivesNothingWithoutEmbeddingTextOrVocabulary) {
    const CategoryList labels{{"one", "alpha"}};
    EmbeddingClassifier none(nullptr);
    EXPECT_FALSE(none.hasEmbedding());
    EXPECT_FALSE(none.classify("alpha", labels, std::nullopt));

    auto classifier = make();
    EXPECT_FALSE(classifier.classify(" \n\t ", labels, std::nullopt));
    EXPECT_FALSE(classifier.classify("alpha", {}, std::nullopt));
    EXPECT_FALSE(classifier.classify("no known word", labels, std::nullopt));
    // An entry whose phrases have no vector takes no part; with no entry left, no result.
    EXPECT_FALSE(classifier.classify("alpha", {{"zzz", "unknown words"}}, std::nullopt));
}

TEST(EmbeddingClassifier, EmbedsTheWholeEntryAndEachLongEnoughPhraseOnce) {
    auto calls = std::make_shared<QStringList>();
    auto classifier = make(calls);
    const CategoryList labels{{"data_entry", "ab, \tbeta forms ,x,gamma"}};
    ASSERT_TRUE(classifier.classify("beta", labels, std::nullopt));
    EXPECT_EQ(*calls, (QStringList{"beta", "data entry: ab, \tbeta forms ,x,gamma", "beta forms",
                                   "gamma"}));

    calls->clear();
    classifier.classify("beta", labels, std::nullopt);
    EXPECT_EQ(*calls, QStringList{"beta"}) << "phrase vectors are cached";

    calls->clear();
    classifier.classify("beta", {{"data_entry", "gamma"}}, std::nullopt);
    EXPECT_EQ(calls->size(), 3) << "an edited entry is embedded again";

    // Texts are trimmed and cut to 1200 characters before they are embedded.
    calls->clear();
    classifier.classify("  " + QString(2000, 'a') + " ", labels, std::nullopt);
    ASSERT_EQ(calls->size(), 1);
    EXPECT_EQ(calls->first().size(), 1200);
}

TEST(EmbeddingClassifier, EntryWithoutLongPhrasesStillScoresOnItsSentence) {
    auto classifier = make();
    auto r = classifier.classify("alpha", {{"alpha", "ab, cd"}}, std::nullopt);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "alpha");
    EXPECT_DOUBLE_EQ(r->probability, 1.0) << "a lone entry is certain";
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

TEST(EmbeddingClassifier, TiesGoToTheFirstListedEntry) {
    auto classifier = make();
    auto r = classifier.classify("alpha", {{"first", "alpha"}, {"second", "alpha"}}, std::nullopt);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "first");
    EXPECT_DOUBLE_EQ(r->probability, 0.5);
}

TEST(EmbeddingClassifier, KeywordBonusCountsEachWordOnceUpToThree) {
    auto classifier = make();
    // Same vectors for both entries; only "keyed" shares words with the text.
    const CategoryList labels{{"plain", "alpha"},
                              {"keyed", "alpha, invoices, payroll, ledger, receipts"}};
    auto once = classifier.classify("alpha invoices invoices invoices", labels, std::nullopt);
    ASSERT_TRUE(once);
    EXPECT_EQ(once->label, "keyed");
    // "keyed" also has the "alpha" keyword in common; "plain" too: they cancel out.
    EXPECT_NEAR(once->probability, softmaxOfGap(0.04), 1e-9);

    auto capped = classifier.classify("alpha invoices payroll ledger receipts", labels, std::nullopt);
    ASSERT_TRUE(capped);
    EXPECT_NEAR(capped->probability, softmaxOfGap(0.12 - 0.04), 1e-9);
}

TEST(EmbeddingClassifier, PriorBonusOnlyForExactName) {
    auto classifier = make();
    const CategoryList labels{{"first", "alpha"}, {"second", "alpha"}};
    auto r = classifier.classify("alpha", labels, QString("second"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->label, "second");
    EXPECT_NEAR(r->probability, softmaxOfGap(0.05), 1e-9);  // about 0.73

    r = classifier.classify("alpha", labels, QString("Second"));
    EXPECT_EQ(r->label, "first");
    EXPECT_DOUBLE_EQ(r->probability, 0.5);
}

TEST(EmbeddingClassifier, WordsAreLowerCaseLettersOfThreeOrMoreWithoutStopWords) {
    EXPECT_EQ(EmbeddingClassifier::words("App: Slack. Window: Re: the Q3 plan — Über-Budget x1y"),
              (QSet<QString>{"slack", "plan", "über", "budget"}));
}
