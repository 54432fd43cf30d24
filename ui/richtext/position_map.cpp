#include "ui/richtext/position_map.h"

#include <algorithm>

namespace mirelda {

PositionMap::PositionMap(std::vector<TextSpan> hiddenSpans)
{
    // Keep only real spans, sorted and merged, so that both lookups can bisect.
    std::erase_if(hiddenSpans, [](const TextSpan& s) { return s.length <= 0 || s.first < 0; });
    std::sort(hiddenSpans.begin(), hiddenSpans.end(),
              [](const TextSpan& a, const TextSpan& b) { return a.first < b.first; });
    for (const TextSpan& s : hiddenSpans) {
        if (!spans_.empty() && s.first <= spans_.back().first + spans_.back().length) {
            TextSpan& last = spans_.back();
            last.length = std::max(last.first + last.length, s.first + s.length) - last.first;
        } else {
            spans_.push_back(s);
        }
    }
    documentStart_.reserve(spans_.size());
    std::int32_t hiddenBefore = 0;
    for (const TextSpan& s : spans_) {
        documentStart_.push_back(s.first - hiddenBefore);
        hiddenBefore += s.length;
    }
}

std::int32_t PositionMap::toDocument(std::int32_t modelPosition) const
{
    // Spans that start at or before the position: all of them hide characters before it,
    // except that the last may hold the position itself.
    auto it = std::upper_bound(spans_.begin(), spans_.end(), modelPosition,
                               [](std::int32_t p, const TextSpan& s) { return p < s.first; });
    if (it == spans_.begin())
        return modelPosition;
    const auto index = static_cast<std::size_t>(it - spans_.begin()) - 1;
    const TextSpan& s = spans_[index];
    if (modelPosition < s.first + s.length)
        return documentStart_[index];
    return modelPosition - (s.first - documentStart_[index]) - s.length;
}

std::int32_t PositionMap::toModel(std::int32_t documentPosition) const
{
    // A span whose document place is at or before the position lies wholly before the
    // character there.
    auto it = std::upper_bound(documentStart_.begin(), documentStart_.end(), documentPosition);
    if (it == documentStart_.begin())
        return documentPosition;
    const auto index = static_cast<std::size_t>(it - documentStart_.begin()) - 1;
    const TextSpan& s = spans_[index];
    return documentPosition + (s.first - documentStart_[index]) + s.length;
}

}  // namespace mirelda
