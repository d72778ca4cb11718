// The word-vector file made at setup (scripts/convert_word_vectors.py): the most frequent
// English words with a float16 vector each, memory-mapped and searched in place, so opening
// costs no parsing. Read-only after opening; safe to share between threads.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace tarnwhistle {

class WordVectors {
  public:
    // Nothing when the file is missing, unreadable or malformed.
    static std::unique_ptr<WordVectors> open(const QString& path);

    int dimensions() const { return dims_; }
    int count() const { return count_; }

    // Row of a word (exact UTF-8 match), nothing when it is not in the file.
    std::optional<int> row(const QByteArray& utf8Word) const;
    QByteArray word(int row) const;
    // Adds the word's vector, scaled to unit length, to `sum` (dimensions() values); a zero
    // row adds nothing.
    void addUnitRow(int row, double* sum) const;

  private:
    WordVectors() = default;
    bool validate(qint64 size);

    QFile file_;
    const uchar* data_ = nullptr;
    int dims_ = 0;
    int count_ = 0;
    const uint16_t* vectors_ = nullptr;
    const uint32_t* offsets_ = nullptr;
    const uint32_t* sorted_ = nullptr;
    const char* pool_ = nullptr;
};

}  // namespace tarnwhistle
