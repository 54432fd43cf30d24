#pragma once
// Moving the search-results window out of the way of the text it found in the article.
// Screen pixels, rectangles as in popup_geometry.h (right and bottom are edges).

#include "core/view/popup_geometry.h"

#include <cstdint>

namespace mirelda {

// Where a window at `window` goes so as not to cover `point`: above it (bottom edge 20
// pixels above the point) when the window is shorter than the point is low, otherwise below
// it (top edge 40 pixels below) when it then ends within a screen `screenHeight` high; its
// current place otherwise, and when it does not cover the point. Only the top moves.
PixelPoint PlaceAwayFrom(const PixelRect& window, PixelPoint point, std::int32_t screenHeight);

} // namespace mirelda
