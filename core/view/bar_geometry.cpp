#include "core/view/bar_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mirelda {

using namespace bars;

namespace {

// Truncation toward zero of a float, kept within 32 bits (NaN counts as 0).
std::int32_t Truncate(float v)
{
    if (!(v == v))
        return 0;
    constexpr float top = 2147483520.0f; // the largest float below 2^31
    if (v >= top)
        return std::numeric_limits<std::int32_t>::max();
    if (v <= -top)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

} // namespace

std::int32_t TreeBarWidth(std::int32_t frameClientWidth, float fraction)
{
    std::int32_t width = Truncate(static_cast<float>(frameClientWidth) * fraction);
    return width <= kMinTreeBarWidth ? kMinTreeBarWidth : width;
}

PixelSize TreeBarDockedSize(std::int32_t frameClientWidth, float fraction, std::int32_t viewHeight)
{
    return {TreeBarWidth(frameClientWidth, fraction), viewHeight};
}

std::int32_t AnnotationBarHeight(float value)
{
    std::int32_t height = Truncate(value);
    return height <= kMinAnnotationBarHeight ? kMinAnnotationBarHeight : height;
}

PixelSize AnnotationBarDockedSize(std::int32_t frameWindowWidth, float value)
{
    return {frameWindowWidth, AnnotationBarHeight(value)};
}

PixelRect TreeControlRect(PixelSize bar, std::int32_t treeLeft, std::int32_t treeTop)
{
    const std::int32_t rightMargin = std::max(2 * treeLeft, 4);
    const std::int32_t width = std::max(bar.width - rightMargin - treeLeft, 0);
    const std::int32_t height = std::max(bar.height - 2 * treeLeft, 0);
    return {treeLeft, treeTop, treeLeft + width, treeTop + height};
}

PixelRect AnnotationEditRect(PixelSize bar, std::int32_t editLeft)
{
    constexpr std::int32_t top = 5;
    const std::int32_t width = std::max(bar.width - editLeft - 2, 0);
    const std::int32_t height = std::max(bar.height - 7, 0);
    return {editLeft, top, editLeft + width, top + height};
}

PixelRect SplitterStripRect(StripOrientation orientation, PixelSize barClient)
{
    if (orientation == StripOrientation::Vertical) {
        const std::int32_t left = barClient.width - 6;
        return {left, 0, left + kStripThickness, barClient.height};
    }
    return {0, 1, barClient.width, 1 + kStripThickness};
}

StripDragLimits StripDragLimitsFor(const PixelRect& frameClientOnScreen, std::int32_t treeBarTop,
                                   std::int32_t annotationBarBottom)
{
    return {frameClientOnScreen.left + 1, frameClientOnScreen.right - 1, treeBarTop + 1,
            annotationBarBottom - 1};
}

namespace {

// std::clamp requires low <= high; a degenerate range keeps the low limit.
std::int32_t ClampTo(std::int32_t v, std::int32_t low, std::int32_t high)
{
    return std::max(low, std::min(v, high));
}

} // namespace

PixelRect StripOutlineRect(StripOrientation orientation, PixelPoint mouse, const StripDragLimits& limits,
                           const PixelRect& barWindow)
{
    const std::int32_t trackWidth = barWindow.width() - 2;
    const std::int32_t trackHeight = barWindow.height() - 2;
    if (orientation == StripOrientation::Horizontal) {
        const std::int32_t y = ClampTo(mouse.y, limits.minY, limits.maxY);
        return {barWindow.left, y - 1, barWindow.left + trackWidth, y + 3};
    }
    const std::int32_t x = ClampTo(mouse.x, limits.minX, limits.maxX);
    return {x - 1, barWindow.top, x + 3, barWindow.top + trackHeight};
}

std::optional<float> StripValueOnRelease(StripOrientation orientation, PixelPoint mouse,
                                         const StripDragLimits& limits)
{
    if (orientation == StripOrientation::Vertical) {
        const std::int32_t span = limits.maxX - limits.minX + 2; // the frame's client width
        if (span <= 0)
            return std::nullopt;
        const std::int32_t x = ClampTo(mouse.x, limits.minX, limits.maxX);
        return static_cast<float>(x - limits.minX + 1) / static_cast<float>(span);
    }
    const std::int32_t span = limits.maxY - limits.minY + 2;
    if (span <= 0)
        return std::nullopt;
    const std::int32_t y = ClampTo(mouse.y, limits.minY, limits.maxY);
    return static_cast<float>(limits.maxY - y + 1);
}

} // namespace mirelda
