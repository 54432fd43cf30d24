#include "core/view/text_zoom.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace mirelda {

namespace {

// Close together near the normal size, where a reader adjusts finely; wider apart beyond.
constexpr std::array kSteps{50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

} // namespace

int StepTextZoom(int percent, int direction)
{
    if (direction == 0)
        return kNormalTextZoom;
    percent = std::clamp(percent, kMinTextZoom, kMaxTextZoom);
    if (direction > 0) {
        const auto next = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
        return next == kSteps.end() ? kMaxTextZoom : *next;
    }
    const auto next = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
    return next == kSteps.begin() ? kMinTextZoom : *(next - 1);
}

int ValidTextZoom(int percent)
{
    if (percent < kMinTextZoom || percent > kMaxTextZoom)
        return kNormalTextZoom;
    return *std::min_element(kSteps.begin(), kSteps.end(), [percent](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
}

} // namespace mirelda
