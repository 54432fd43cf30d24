#pragma once
// The model's lengths are twips (1/1440 inch); the windows lay them out in pixels at 96 per inch.

namespace mirelda {

inline constexpr double kTwipsPerPixel = 15.0;

constexpr double TwipsToPixels(double twips)
{
    return twips / kTwipsPerPixel;
}

} // namespace mirelda
