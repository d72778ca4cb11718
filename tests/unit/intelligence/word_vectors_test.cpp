#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <numeric>

#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "test_data.h"

TEST(WordVectors, SetupFileHoldsFrequentEnglishWordsFoundByExactMatch) {
    auto v = WordVectors::open(wordVectorFilePath());
    ASSERT_TRUE(v);
    for (int row : {0, 1, 4321, v->count() - 1}) EXPECT_EQ(v->row(v->word(row)), row);
    for (const char* w : {"email", "spreadsheet", "software", "invoice"})
        EXPECT_TRUE(v->row(w)) << w;
    for (const char* w : {"", "Email", "emailx", "zzzzzzzz", ","}) EXPECT_FALSE(v->row(w)) << w;
}

TEST(WordVectors, DamagedFilesAreRejectedNotRead) {
    const QByteArray good = fileContents(wordVectorFilePath());
    QTemporaryDir dir;
    auto openBytes = [&](const QByteArray& bytes) {
        QFile f(dir.filePath("v.bin"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        return WordVectors::open(f.fileName());
    };
    ASSERT_TRUE(openBytes(good));
    EXPECT_FALSE(WordVectors::open(dir.filePath("absent.bin")));
    EXPECT_FALSE(openBytes(good.left(good.size() - 1)));
    EXPECT_FALSE(openBytes("XXXX" + good.mid(4)));
    // The pool size, the last header word, far beyond the file.
    EXPECT_FALSE(openBytes(QByteArray(good).replace(39, 1, "\x7f")));
}

TEST(WordVectorEmbedding, AveragesUnitVectorsOfKnownWordsIgnoringCaseStopWordsAndUnknownWords) {
    auto e = WordVectorEmbedding::open(wordVectorFilePath());
    ASSERT_TRUE(e);
    const auto budget = e->vector("budget"), meeting = e->vector("meeting");
    ASSERT_TRUE(budget && meeting);
    EXPECT_NEAR(std::inner_product(budget->begin(), budget->end(), budget->begin(), 0.0), 1.0, 1e-9)
        << "every word weighs the same";
    const auto both = e->vector("The BUDGET, for—the meeting! qwzxv");
    ASSERT_TRUE(both);
    for (size_t i = 0; i < both->size(); ++i)
        EXPECT_NEAR((*both)[i], ((*budget)[i] + (*meeting)[i]) / 2, 1e-12);
    EXPECT_FALSE(e->vector("the and of 123 qwzxv"));
}
