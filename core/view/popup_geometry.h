#pragma once
// Sizing a pop-up to its text and placing it next to the click that opened it.
// Coordinates are screen pixels; a rectangle's right and bottom are its edges (left + width,
// top + height), not its last pixel.

#include <cstdint>
#include <functional>

namespace mirelda {

struct PixelPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelSize
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

namespace popup {
constexpr std::int32_t kWidthStep = 25;   // each trial is this much narrower
constexpr std::int32_t kWidthRatio = 3;   // stop once the text is a third of the width high
constexpr std::int32_t kFrameWidth = 20;  // pop-up width = text width + this
constexpr std::int32_t kFrameHeight = 30; // pop-up height = text height + this
constexpr std::int32_t kGap = 12;         // between click and pop-up, and from the edges
} // namespace popup

// The text's height when the text control is `width` pixels wide (the vertical coordinate
// of the end of the text, as the control reports it).
using TextHeightAtWidth = std::function<std::int32_t(std::int32_t width)>;

// Tries widths from the screen's width less 25, 25 narrower each time, until the text is at
// least a third as high as it is wide; the pop-up is then 20 wider and 30 higher than the
// text. The trials stop at a 25-pixel width (a text too short to reach a third of any width).
PixelSize PopupSizeForText(const PixelRect& screen, const TextHeightAtWidth& textHeightAt);

enum class PopupRegion { Below, Left, Right, Above, Centred };

struct PopupPlacement
{
    PixelPoint position; // the pop-up's top-left corner
    PopupRegion region = PopupRegion::Centred;
};

// The first of below, left, right and above the click in which the pop-up fits (strictly
// narrower and lower than the region), or centred on the screen when none does.
PopupPlacement PopupPositionNearPoint(PixelPoint click, const PixelRect& screen, PixelSize popup);

} // namespace mirelda
