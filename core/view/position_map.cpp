#include "core/view/position_map.h"

#include <algorithm>

namespace mirelda {

void PositionMap::addShown(std::int32_t modelPosition, std::int32_t documentPosition, std::int32_t length)
{
    identity_ = false;
    if (length <= 0)
        return;
    if (!segments_.empty()) {
        Segment& last = segments_.back();
        // Out of order: a builder fault; keep the map searchable rather than wrong everywhere.
        if (modelPosition < last.model + last.length || documentPosition < last.document + last.length)
            return;
        if (modelPosition == last.model + last.length && documentPosition == last.document + last.length) {
            last.length += length;
            return;
        }
    }
    segments_.push_back({modelPosition, documentPosition, length});
}

void PositionMap::finish(std::int32_t modelLength, std::int32_t documentLength)
{
    modelLength_ = std::max(modelLength, 0);
    documentLength_ = std::max(documentLength, 0);
    identity_ = modelLength_ == documentLength_ &&
                (segments_.empty() ? modelLength_ == 0
                                   : segments_.size() == 1 && segments_[0].model == 0 &&
                                         segments_[0].document == 0 && segments_[0].length == modelLength_);
}

std::ptrdiff_t PositionMap::segmentAt(std::int32_t position, bool model, bool before) const
{
    const auto start = [model](const Segment& s) { return model ? s.model : s.document; };
    const std::int32_t key = before ? position - 1 : position;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), key,
                               [&](std::int32_t p, const Segment& s) { return p < start(s); });
    return (it - segments_.begin()) - 1;
}

std::int32_t PositionMap::toDocument(std::int32_t modelPosition) const
{
    if (identity_)
        return modelPosition;
    const std::ptrdiff_t i = segmentAt(modelPosition, true, false);
    if (i >= 0 && modelPosition < segments_[i].model + segments_[i].length)
        return segments_[i].document + (modelPosition - segments_[i].model);
    const auto next = static_cast<std::size_t>(i + 1);
    if (next < segments_.size())
        return segments_[next].document;
    return std::max(0, documentLength_ - 1);
}

std::int32_t PositionMap::toDocumentEnd(std::int32_t modelPosition) const
{
    if (identity_)
        return modelPosition;
    const std::ptrdiff_t i = segmentAt(modelPosition, true, true);
    if (i < 0)
        return toDocument(modelPosition);
    const Segment& s = segments_[i];
    return s.document + std::min(modelPosition - s.model, s.length);
}

std::int32_t PositionMap::toModel(std::int32_t documentPosition) const
{
    if (identity_)
        return documentPosition;
    const std::ptrdiff_t i = segmentAt(documentPosition, false, false);
    if (i >= 0 && documentPosition < segments_[i].document + segments_[i].length)
        return segments_[i].model + (documentPosition - segments_[i].document);
    const auto next = static_cast<std::size_t>(i + 1);
    if (next < segments_.size())
        return segments_[next].model;
    return std::max(0, modelLength_ - 1);
}

std::int32_t PositionMap::toModelEnd(std::int32_t documentPosition) const
{
    if (identity_)
        return documentPosition;
    const std::ptrdiff_t i = segmentAt(documentPosition, false, true);
    if (i < 0)
        return toModel(documentPosition);
    const Segment& s = segments_[i];
    return s.model + std::min(documentPosition - s.document, s.length);
}

bool PositionMap::showsAny(std::int32_t first, std::int32_t end) const
{
    // Positions past the document's last character stand for that character.
    const std::int32_t last = std::max(0, documentLength_ - 1);
    const auto shown = [&](std::int32_t model) {
        return std::clamp(toDocument(std::max(0, model)), 0, last);
    };
    return first < end && shown(first) < shown(end);
}

} // namespace mirelda
