// A half-open range of UTF-16 positions in a text, as found by the detectors.
#pragma once

#include <QtGlobal>
#include <vector>

namespace tarnwhistle {

struct TextRange {
    qsizetype start = 0;
    qsizetype end = 0;  // one past the last character

    qsizetype length() const { return end - start; }
    bool overlaps(const TextRange& other) const { return start < other.end && other.start < end; }
    bool operator==(const TextRange&) const = default;
};

// `ranges` sorted by start without overlaps: where two overlap, the earlier one wins, and of
// two starting together the longer one.
std::vector<TextRange> disjointRanges(std::vector<TextRange> ranges);

}  // namespace tarnwhistle
