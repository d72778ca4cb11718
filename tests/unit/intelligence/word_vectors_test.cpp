#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "intelligence/word_vectors.h"

namespace {

// Writes the word-vector file layout for a handful of words (rows in the given order).
QByteArray vectorFile(const QList<QByteArray>& words, const QList<QList<float>>& rows) {
    const quint32 count = quint32(words.size()), dims = quint32(rows.first().size());
    QByteArray vectors, offsets, sorted, pool;
    for (const auto& row : rows)
        for (float f : row) {
            const qfloat16 h(f);
            vectors.append(reinterpret_cast<const char*>(&h), 2);
        }
    auto put32 = [](QByteArray& b, quint32 v) {
        v = qToLittleEndian(v);
        b.append(reinterpret_cast<const char*>(&v), 4);
    };
    put32(offsets, 0);
    for (const auto& w : words) {
        pool += w;
        put32(offsets, quint32(pool.size()));
    }
    QList<quint32> order;
    for (quint32 i = 0; i < count; ++i) order << i;
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return words[a] < words[b]; });
    for (quint32 i : order) put32(sorted, i);
    while (vectors.size() % 4) vectors.append('\0');
    const quint32 vectorsAt = 40, offsetsAt = vectorsAt + quint32(vectors.size()),
                  sortedAt = offsetsAt + quint32(offsets.size()),
                  poolAt = sortedAt + quint32(sorted.size());
    QByteArray file = "TWWV";
    for (quint32 v : {1u, dims, count, 0u, vectorsAt, offsetsAt, sortedAt, poolAt,
                      quint32(pool.size())})
        put32(file, v);
    return file + vectors + offsets + sorted + pool;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("vectors.bin");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

const QList<QByteArray> words{"the", "code", "über", "invoice"};
const QList<QList<float>> rows{{9, 9}, {1, 0}, {0, 2}, {0.5f, 0.25f}};

}  // namespace

TEST(WordVectors, FindsEveryWordAndNothingElse) {
    QTemporaryDir dir;
    auto v = WordVectors::open(writeFile(dir, vectorFile(words, rows)));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->count(), 4);
    EXPECT_EQ(v->dimensions(), 2);
    for (int i = 0; i < words.size(); ++i) EXPECT_EQ(v->row(words[i]), i) << words[i].constData();
    for (const char* missing : {"", "a", "cod", "codes", "zzz", "Code"}) EXPECT_FALSE(v->row(missing));
    double sum[2] = {1, 1};
    v->addRow(3, sum);
    EXPECT_DOUBLE_EQ(sum[0], 1.5);
    EXPECT_DOUBLE_EQ(sum[1], 1.25);
}

TEST(WordVectors, RejectsMissingDamagedOrTruncatedFiles) {
    QTemporaryDir dir;
    EXPECT_FALSE(WordVectors::open(dir.filePath("absent.bin")));
    EXPECT_FALSE(WordVectors::open(QString()));
    const QByteArray good = vectorFile(words, rows);
    EXPECT_FALSE(WordVectors::open(writeFile(dir, good.left(good.size() - 3))));
    EXPECT_FALSE(WordVectors::open(writeFile(dir, "XXXX" + good.mid(4))));
    EXPECT_FALSE(WordVectors::open(writeFile(dir, good.left(20))));
    QByteArray badRow = good;
    const int sortedAt = 40 + 4 * 2 * 2 + 5 * 4;  // header, float16 rows, word offsets
    badRow[sortedAt + 3] = char(0x7f);            // a sorted-index entry past the last row
    EXPECT_FALSE(WordVectors::open(writeFile(dir, badRow)));
}

TEST(WordVectorEmbedding, AveragesKnownWordsSkippingStopWordsAndCase) {
    QTemporaryDir dir;
    auto e = WordVectorEmbedding::open(writeFile(dir, vectorFile(words, rows)));
    ASSERT_TRUE(e);
    // "the" is a stop word; "Über" is lower-cased to a known word; "x2" splits into letters.
    auto v = e->vector("The CODE, Über-alles x2");
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, (std::vector<double>{0.5, 1.0}));
    EXPECT_FALSE(e->vector("the, and unknown"));
}

// The file the setup step makes: the shipped sentence embedding.
TEST(WordVectorEmbedding, SetupFileHoldsFrequentEnglishWords) {
    const QString path = wordVectorFilePath();
    ASSERT_FALSE(path.isEmpty()) << "word-vectors.bin missing: run scripts/setup";
    auto e = WordVectorEmbedding::open(path);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->wordVectors().count(), 50000);
    EXPECT_EQ(e->wordVectors().dimensions(), 100);
    for (const char* w : {"email", "spreadsheet", "software", "invoice", "meeting"})
        EXPECT_TRUE(e->wordVectors().row(w)) << w;
}
