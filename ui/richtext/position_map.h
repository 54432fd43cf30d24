#pragma once
// Translates between the rich-text model's positions (hidden text counted) and the
// QTextDocument's (hidden text left out). Without hidden text both are the identity.

#include "core/richtext/document.h"

#include <cstdint>
#include <vector>

namespace mirelda {

class PositionMap {
public:
    PositionMap() = default;
    explicit PositionMap(std::vector<TextSpan> hiddenSpans);

    // A model position inside hidden text maps to the first shown character after it.
    std::int32_t toDocument(std::int32_t modelPosition) const;
    // The model position of the document's character at `documentPosition`.
    std::int32_t toModel(std::int32_t documentPosition) const;

    bool identity() const { return spans_.empty(); }
    const std::vector<TextSpan>& hiddenSpans() const { return spans_; }

private:
    std::vector<TextSpan> spans_;             // merged, in order, non-empty
    std::vector<std::int32_t> documentStart_; // each span's place in document positions
};

}  // namespace mirelda
