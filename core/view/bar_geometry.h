#pragma once
// Sizes of the two docked bars, of the controls inside them, and of their splitter strips.
// Pixels; screen coordinates where said. The strip's `value` is the tree bar's width as a
// fraction of the frame's client width (vertical strip) or the annotation bar's height in
// pixels (horizontal strip).

#include "core/view/popup_geometry.h"

#include <cstdint>
#include <optional>

namespace mirelda {

namespace bars {
constexpr std::int32_t kMinTreeBarWidth = 10;
constexpr std::int32_t kMinAnnotationBarHeight = 46;
constexpr float kInitialTreeFraction = 0.25f;
constexpr float kInitialAnnotationHeight = 46.0f;
constexpr std::int32_t kStripThickness = 4;
} // namespace bars

enum class StripOrientation { Vertical, Horizontal }; // dragged sideways / up and down

// The tree bar's docked width: the fraction of the frame's client width, truncated, and 10
// when that is 10 or less.
std::int32_t TreeBarWidth(std::int32_t frameClientWidth, float fraction);
// The tree bar's docked size: that width, and the height of the article view's window.
PixelSize TreeBarDockedSize(std::int32_t frameClientWidth, float fraction, std::int32_t viewHeight);

// The annotation bar's docked height: the strip's value truncated, and 46 when that is 46 or
// less.
std::int32_t AnnotationBarHeight(float value);
// Its docked size: across the frame's whole window width.
PixelSize AnnotationBarDockedSize(std::int32_t frameWindowWidth, float value);

// The tree control inside its bar: it keeps its place (left offset L, top `treeTop`), its
// right edge stops max(2L, 4) pixels before the bar's right edge (room for the strip) and its
// bottom edge L pixels above the bar's bottom.
PixelRect TreeControlRect(PixelSize bar, std::int32_t treeLeft, std::int32_t treeTop);

// The annotation edit inside its bar: at (L, 5), 2 pixels short of the right and bottom edges.
PixelRect AnnotationEditRect(PixelSize bar, std::int32_t editLeft);

// The strip along its bar's edge (client coordinates of the bar): a vertical strip 2 pixels in
// from the right edge, full height; a horizontal one just below the top edge, full width.
PixelRect SplitterStripRect(StripOrientation orientation, PixelSize barClient);

// Where the outline may go while a strip is dragged (screen coordinates): inside the frame's
// client area less one pixel sideways, and between the tree bar's top and the annotation bar's
// bottom, one pixel in, up and down.
struct StripDragLimits
{
    std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
};
StripDragLimits StripDragLimitsFor(const PixelRect& frameClientOnScreen, std::int32_t treeBarTop,
                                   std::int32_t annotationBarBottom);

// The outline drawn for the mouse at `mouse` (screen), clamped to the limits: a 4-pixel band
// across the parent bar's window (`barWindow`, screen), one pixel before the mouse.
PixelRect StripOutlineRect(StripOrientation orientation, PixelPoint mouse, const StripDragLimits& limits,
                           const PixelRect& barWindow);

// The strip's new value for a release at `mouse` (screen): the distance from the frame's
// client left edge as a fraction of its width (vertical), or the distance to the annotation
// bar's bottom in pixels (horizontal). The release point is clamped like the outline, so the
// bar ends where the outline was seen. None when the drag range is empty.
std::optional<float> StripValueOnRelease(StripOrientation orientation, PixelPoint mouse,
                                         const StripDragLimits& limits);

} // namespace mirelda
