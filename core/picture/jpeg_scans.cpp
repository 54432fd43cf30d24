#include "core/picture/jpeg_scans.h"

#include <algorithm>

namespace mirelda::picture {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;

// Markers that stand alone, without a length: restarts and TEM.
bool Standalone(std::uint8_t code)
{
    return (code >= 0xD0 && code <= 0xD7) || code == 0x01;
}

} // namespace

std::size_t CountJpegScans(std::span<const std::uint8_t> jpeg, std::size_t stopAfter)
{
    const std::size_t size = jpeg.size();
    if (size < 2 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage)
        return 0;
    std::size_t scans = 0;
    std::size_t at = 2;
    while (at < size && scans < stopAfter) {
        if (jpeg[at] != kMarker)
            return scans;                        // not a marker where one must be: damage
        while (at < size && jpeg[at] == kMarker) // fill bytes
            ++at;
        if (at >= size)
            return scans;
        const std::uint8_t code = jpeg[at++];
        if (code == kEndOfImage)
            return scans;
        if (Standalone(code))
            continue;
        if (size - at < 2)
            return scans;
        const std::size_t length = std::size_t{jpeg[at]} << 8 | jpeg[at + 1];
        if (length < 2 || length > size - at)
            return scans;
        at += length;
        if (code != kStartOfScan)
            continue;
        ++scans;
        // The entropy-coded data: up to the next marker that is neither a stuffed zero nor a
        // restart.
        while (at < size) {
            const auto* next = std::find(jpeg.data() + at, jpeg.data() + size, kMarker);
            at = static_cast<std::size_t>(next - jpeg.data());
            if (size - at < 2)
                return scans;
            const std::uint8_t follower = jpeg[at + 1];
            if (follower == 0x00 || (follower >= 0xD0 && follower <= 0xD7) || follower == kMarker) {
                at += follower == kMarker ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return scans;
}

} // namespace mirelda::picture
