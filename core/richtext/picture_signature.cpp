#include "core/richtext/picture_signature.h"

#include <algorithm>
#include <cstring>

namespace mirelda {
namespace {

std::uint32_t U16(std::span<const std::uint8_t> d, std::size_t at)
{
    return static_cast<std::uint32_t>(d[at] | d[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at)
{
    return U16(d, at) | U16(d, at + 2) << 16;
}

bool StartsWith(std::span<const std::uint8_t> d, const char* bytes, std::size_t n)
{
    return d.size() >= n && std::memcmp(d.data(), bytes, n) == 0;
}

// The 18-byte WMF header at `at`: type 1 (memory) or 2 (disk), 9 words long, version 1 or 3.
bool WmfHeaderAt(std::span<const std::uint8_t> d, std::size_t at)
{
    if (d.size() < at + 18)
        return false;
    const std::uint32_t type = U16(d, at), words = U16(d, at + 2), version = U16(d, at + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

} // namespace

std::optional<PictureKind> PictureKindOfData(std::span<const std::uint8_t> data)
{
    if (StartsWith(data, "\x89PNG\r\n\x1a\n", 8))
        return PictureKind::Png;
    if (StartsWith(data, "\xFF\xD8\xFF", 3))
        return PictureKind::Jpeg;
    if (StartsWith(data, "GIF87a", 6) || StartsWith(data, "GIF89a", 6))
        return PictureKind::Gif;
    // "BM", then an info header of a size Windows writes: pixel rows cannot pass for one.
    if (StartsWith(data, "BM", 2) && data.size() >= 18) {
        const std::uint32_t header = U32(data, 14);
        if (header == 12 || header == 40 || header == 52 || header == 56 || header == 64 || header == 108 ||
            header == 124)
            return PictureKind::Bmp;
    }
    if (data.size() >= 22 && U32(data, 0) == 0x9AC6CDD7 && WmfHeaderAt(data, 22))
        return PictureKind::Wmf;
    if (WmfHeaderAt(data, 0))
        return PictureKind::Wmf;
    // EMR_HEADER, its size, and " EMF" at offset 40.
    if (data.size() >= 88 && U32(data, 0) == 1 && U32(data, 4) >= 88 && U32(data, 40) == 0x464D4520)
        return PictureKind::Emf;
    return std::nullopt;
}

} // namespace mirelda
