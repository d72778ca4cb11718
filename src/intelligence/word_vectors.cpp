#include "intelligence/word_vectors.h"

#include <QFloat16>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarnwhistle {

namespace {

constexpr uint32_t headerWords = 10;
constexpr int maxDimensions = 4096;

uint32_t readLE32(const uchar* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::unique_ptr<WordVectors> WordVectors::open(const QString& path) {
    std::unique_ptr<WordVectors> v(new WordVectors);
    v->file_.setFileName(path);
    if (path.isEmpty() || !v->file_.open(QIODevice::ReadOnly)) return nullptr;
    const qint64 size = v->file_.size();
    if (size < qint64(headerWords * 4)) return nullptr;
    v->data_ = v->file_.map(0, size);
    if (!v->data_ || !v->validate(size)) return nullptr;
    return v;
}

// Every section must lie inside the file and every word inside the pool, so that later reads
// never need a bounds check.
bool WordVectors::validate(qint64 size) {
    if (std::memcmp(data_, "TWWV", 4) != 0) return false;
    uint32_t header[headerWords - 1];
    for (uint32_t i = 0; i < headerWords - 1; ++i) header[i] = readLE32(data_ + 4 + 4 * i);
    const auto [version, dims, count, flags, vectorsAt, offsetsAt, sortedAt, poolAt, poolSize] =
        std::tuple{header[0], header[1], header[2], header[3], header[4],
                   header[5], header[6], header[7], header[8]};
    if (version != 1 || dims == 0 || dims > maxDimensions || count == 0) return false;
    auto fits = [size](quint64 at, quint64 bytes) { return at + bytes <= quint64(size); };
    if (vectorsAt % 2 || offsetsAt % 4 || sortedAt % 4) return false;
    if (!fits(vectorsAt, quint64(count) * dims * 2) || !fits(offsetsAt, (quint64(count) + 1) * 4) ||
        !fits(sortedAt, quint64(count) * 4) || !fits(poolAt, poolSize))
        return false;
    dims_ = int(dims);
    count_ = int(count);
    vectors_ = reinterpret_cast<const uint16_t*>(data_ + vectorsAt);
    offsets_ = reinterpret_cast<const uint32_t*>(data_ + offsetsAt);
    sorted_ = reinterpret_cast<const uint32_t*>(data_ + sortedAt);
    pool_ = reinterpret_cast<const char*>(data_ + poolAt);
    if (offsets_[0] != 0 || offsets_[count] > poolSize) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (offsets_[i] > offsets_[i + 1] || sorted_[i] >= count) return false;
    }
    return true;
}

QByteArray WordVectors::word(int row) const {
    if (row < 0 || row >= count_) return {};
    return QByteArray(pool_ + offsets_[row], int(offsets_[row + 1] - offsets_[row]));
}

std::optional<int> WordVectors::row(const QByteArray& utf8Word) const {
    auto compare = [&](uint32_t r) {
        const uint32_t len = offsets_[r + 1] - offsets_[r];
        const int c = std::memcmp(pool_ + offsets_[r], utf8Word.constData(),
                                  std::min<size_t>(len, size_t(utf8Word.size())));
        if (c != 0) return c;
        return len < uint32_t(utf8Word.size()) ? -1 : (len > uint32_t(utf8Word.size()) ? 1 : 0);
    };
    int lo = 0, hi = count_ - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = compare(sorted_[mid]);
        if (c == 0) return int(sorted_[mid]);
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return std::nullopt;
}

void WordVectors::addUnitRow(int row, double* sum) const {
    float values[maxDimensions];
    qFloatFromFloat16(values, reinterpret_cast<const qfloat16*>(vectors_ + qsizetype(row) * dims_),
                      dims_);
    double norm = 0;
    for (int i = 0; i < dims_; ++i) norm += double(values[i]) * values[i];
    if (norm == 0) return;
    const double scale = 1 / std::sqrt(norm);
    for (int i = 0; i < dims_; ++i) sum[i] += values[i] * scale;
}

}  // namespace tarnwhistle
