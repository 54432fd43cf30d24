#pragma once
// The article's text size, in percent of the size the article asks for.

namespace mirelda {

inline constexpr int kNormalTextZoom = 100;
inline constexpr int kMinTextZoom = 50;
inline constexpr int kMaxTextZoom = 300;

// The next size from `percent` in the direction of `direction` (> 0 larger, < 0 smaller,
// 0 back to normal); the bound itself when already there. A size between two steps goes to
// the neighbouring step on that side.
int StepTextZoom(int percent, int direction);

// A size read back from the settings made usable: the nearest step, or the normal size for
// anything outside the range.
int ValidTextZoom(int percent);

} // namespace mirelda
