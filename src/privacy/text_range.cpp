#include "privacy/text_range.h"

#include <algorithm>

namespace tarnwhistle {

std::vector<TextRange> disjointRanges(std::vector<TextRange> ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const TextRange& a, const TextRange& b) {
        return a.start != b.start ? a.start < b.start : a.length() > b.length();
    });
    std::vector<TextRange> result;
    for (const TextRange& range : ranges) {
        if (range.length() <= 0) continue;
        if (!result.empty() && range.start < result.back().end) continue;
        result.push_back(range);
    }
    return result;
}

}  // namespace tarnwhistle
