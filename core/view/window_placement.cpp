#include "core/view/window_placement.h"

namespace mirelda {

PixelPoint PlaceAwayFrom(const PixelRect& window, PixelPoint point, std::int32_t screenHeight)
{
    const PixelPoint stay{window.left, window.top};
    const bool covered =
        point.x >= window.left && point.x < window.right && point.y >= window.top && point.y < window.bottom;
    if (!covered)
        return stay;
    if (window.height() < point.y)
        return {window.left, point.y - 20 - window.height()};
    if (point.y + window.height() < screenHeight)
        return {window.left, point.y + 40};
    return stay;
}

} // namespace mirelda
