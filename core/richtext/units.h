#pragma once
// The model's lengths are twips (1/1440 inch); the windows lay them out in pixels at 96 per inch,
// or at a printer's resolution. A converted length stays within kMaxInches either way.

#include <algorithm>

namespace mirelda {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kScreenDpi = 96.0;
inline constexpr double kTwipsPerPixel = kTwipsPerInch / kScreenDpi;

// No indent, spacing or tab stop reaches beyond this (about 50 inches): a damaged number
// must not make a page of absurd size.
inline constexpr double kMaxInches = 52.0;
inline constexpr double kMaxLength = kMaxInches * kScreenDpi;

constexpr double TwipsToPixels(double twips)
{
    return twips / kTwipsPerPixel;
}

// A length of the document in screen pixels, within kMaxLength either way.
constexpr double Pixels(double twips)
{
    return std::clamp(TwipsToPixels(twips), -kMaxLength, kMaxLength);
}

// A horizontal margin or indent at `dpi`: the layout leaves these as they are on any device.
constexpr double DevicePixels(double twips, double dpi)
{
    return std::clamp(twips * dpi / kTwipsPerInch, -kMaxInches * dpi, kMaxInches * dpi);
}

} // namespace mirelda
