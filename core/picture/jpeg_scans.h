#pragma once
// The scans of a JPEG file, counted from its markers without decoding anything.
//
// A progressive JPEG refines its picture scan after scan, and a decoder goes over every block of
// the picture for each scan, however little the scan holds: a small file with thousands of
// scans costs seconds to decode. Encoders write about ten (a dozen at most for the finest
// progressions), so a count far above that marks a file made to stall its reader.

#include <cstddef>
#include <cstdint>
#include <span>

namespace mirelda::picture {

// More scans than this and a JPEG is not decoded (a placeholder shows instead); nor is one whose
// scans over its pixels come to more than kMaxJpegScanPixels.
inline constexpr std::size_t kMaxJpegScans = 100;

// The number of scans (start-of-scan segments) before the end of the image or of the data,
// counting no further than `stopAfter`. Linear in the size of the data; damage after the last
// whole segment ends the count where it stands.
std::size_t CountJpegScans(std::span<const std::uint8_t> jpeg, std::size_t stopAfter = kMaxJpegScans + 1);

// A decoder's work grows as scans times pixels: no more than ten scans of 100 megapixels.
inline constexpr std::int64_t kMaxJpegScanPixels = 1'000'000'000;

// Whether a JPEG of `pixels` pixels may be handed to a decoder: at most kMaxJpegScans scans,
// and scans times pixels within kMaxJpegScanPixels.
inline bool JpegDecodingBounded(std::span<const std::uint8_t> jpeg, std::int64_t pixels)
{
    const auto scans = static_cast<std::int64_t>(CountJpegScans(jpeg));
    return scans <= static_cast<std::int64_t>(kMaxJpegScans) && scans * pixels <= kMaxJpegScanPixels;
}

} // namespace mirelda::picture
