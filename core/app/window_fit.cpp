#include "core/app/window_fit.h"

#include <algorithm>

namespace mirelda {

namespace {

constexpr std::int32_t kFirstWidth = 800;
constexpr std::int32_t kFirstHeight = 600;

// Keeps [start, start + length) inside [lower, lower + room); length is at most room.
std::int32_t Slide(std::int64_t start, std::int64_t length, std::int64_t lower, std::int64_t room)
{
    return static_cast<std::int32_t>(std::clamp(start, lower, lower + room - length));
}

} // namespace

WindowRect FirstWindowRect(const WindowRect& available)
{
    if (available.width <= 0 || available.height <= 0)
        return {0, 0, kFirstWidth, kFirstHeight};
    WindowRect first;
    first.width = std::min<std::int32_t>(kFirstWidth, static_cast<std::int32_t>(available.width * 9LL / 10));
    first.height =
        std::min<std::int32_t>(kFirstHeight, static_cast<std::int32_t>(available.height * 9LL / 10));
    first.x = static_cast<std::int32_t>(available.x + (std::int64_t{available.width} - first.width) / 2);
    first.y = static_cast<std::int32_t>(available.y + (std::int64_t{available.height} - first.height) / 2);
    return first;
}

WindowRect FitInside(const WindowRect& window, const WindowRect& available)
{
    if (window.width <= 0 || window.height <= 0 || available.width <= 0 || available.height <= 0)
        return FirstWindowRect(available);
    WindowRect fitted;
    fitted.width = std::min(window.width, available.width);
    fitted.height = std::min(window.height, available.height);
    fitted.x = Slide(window.x, fitted.width, available.x, available.width);
    fitted.y = Slide(window.y, fitted.height, available.y, available.height);
    return fitted;
}

} // namespace mirelda
