#pragma once
// Where the main window opens: the place it had, kept inside the screen it opens on.
// Device-independent pixels, as the window system gives the screen's available area at any
// scale factor; right and bottom are x + width and y + height.

#include <cstdint>

namespace mirelda {

struct WindowRect
{
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowRect&) const = default;
};

// The window no larger than `available` and moved the least so that it lies wholly inside.
// A window with no size, or an empty area, gives FirstWindowRect's answer.
WindowRect FitInside(const WindowRect& window, const WindowRect& available);

// A first start: 800 × 600, or nine tenths of the area in each direction when that is
// smaller, centred in it.
WindowRect FirstWindowRect(const WindowRect& available);

} // namespace mirelda
