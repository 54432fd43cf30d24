#pragma once
// Translates between the rich-text model's positions and those of the document a view builds
// from it to show the article. The model counts characters the document leaves out (hidden
// text, the tabs between table cells, the marks that end table rows); the document has
// positions the model does not (the boundaries of tables and cells, list numbers it draws as
// text). Without either both are the identity.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirelda {

class PositionMap
{
  public:
    PositionMap() = default; // the identity

    // Built by the document builder, in increasing order of both numberings: the document's
    // positions [documentPosition, documentPosition + length) show the model's
    // [modelPosition, modelPosition + length), one for one.
    void addShown(std::int32_t modelPosition, std::int32_t documentPosition, std::int32_t length);
    // Ends the building; the lengths are the model text's and the document's character count.
    void finish(std::int32_t modelLength, std::int32_t documentLength);

    // A model position the document leaves out maps to the first shown character after it.
    std::int32_t toDocument(std::int32_t modelPosition) const;
    // The end of a range that stops before `modelPosition`: just after the last shown
    // character before it, so that a range ending at a cell's end stays in that cell.
    std::int32_t toDocumentEnd(std::int32_t modelPosition) const;
    // The model position of the document's character at `documentPosition`; a document-only
    // character gives the model character shown after it.
    std::int32_t toModel(std::int32_t documentPosition) const;
    // The end of a document range, as toDocumentEnd the other way.
    std::int32_t toModelEnd(std::int32_t documentPosition) const;

    // Whether the document shows any character of the model range [first, end): not when the
    // range is empty, wholly left out, or only the document's end. A map never finished (the
    // empty document's) shows nothing.
    bool showsAny(std::int32_t first, std::int32_t end) const;

    bool identity() const { return identity_; }

  private:
    struct Segment
    {
        std::int32_t model = 0;
        std::int32_t document = 0;
        std::int32_t length = 0;
    };
    // The last segment starting at or before `position` (strictly before when `before`), in
    // the model's numbering or the document's; -1 when none.
    std::ptrdiff_t segmentAt(std::int32_t position, bool model, bool before) const;

    std::vector<Segment> segments_; // in order of both numberings, non-empty, not adjacent in both
    bool identity_ = true;
    std::int32_t modelLength_ = 0;
    std::int32_t documentLength_ = 0;
};

} // namespace mirelda
