#include "core/picture/dib.h"

#include "core/store/binary_file.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace mirelda::picture {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kFileHeaderSize = 14;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at)
{
    return LoadU32(b.data() + at);
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

std::uint64_t Stride(std::int64_t width, std::uint32_t bits)
{
    return (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
}

// The 16 colours of a VGA display, in the order its 4-bit pixel values name them.
constexpr std::array<std::uint32_t, 16> kVgaColors = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// A top-down DIB with a 40-byte header.
std::vector<std::uint8_t> NewFile(std::int32_t width, std::int32_t height, std::uint16_t bits,
                                  std::span<const std::uint32_t> palette)
{
    const std::size_t pixelsAt = kFileHeaderSize + 40 + palette.size() * 4;
    const std::size_t size = pixelsAt + Stride(width, bits) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> out(size, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(size));
    Put32(out, 10, static_cast<std::uint32_t>(pixelsAt));
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(-height));
    Put16(out, 26, 1);
    Put16(out, 28, bits);
    Put32(out, 46, static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        // RGBQUAD is blue, green, red, 0.
        const std::uint32_t rgb = palette[i];
        out[kFileHeaderSize + 40 + i * 4] = static_cast<std::uint8_t>(rgb);
        out[kFileHeaderSize + 40 + i * 4 + 1] = static_cast<std::uint8_t>(rgb >> 8);
        out[kFileHeaderSize + 40 + i * 4 + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
    return out;
}

// The layout of a DIB whose info part is `info` and whose pixels are `pixels`, or nothing when
// they do not fit together or cannot be decoded.
std::optional<DibLayout> ReadDibLayout(std::span<const std::uint8_t> info, std::size_t pixelsAvailable)
{
    if (info.size() < 12)
        return std::nullopt;
    DibLayout d;
    d.headerSize = U32(info, 0);
    std::uint32_t paletteEntry = 4;
    std::uint32_t colorsUsed = 0;
    std::uint16_t planes = 1;
    if (d.headerSize == 12) {
        d.width = U16(info, 4);
        d.height = U16(info, 6);
        planes = U16(info, 8);
        d.bitCount = U16(info, 10);
        paletteEntry = 3;
    } else if (d.headerSize == 40 || d.headerSize == 108 || d.headerSize == 124) {
        if (info.size() < d.headerSize)
            return std::nullopt;
        d.width = static_cast<std::int32_t>(U32(info, 4));
        d.height = static_cast<std::int32_t>(U32(info, 8));
        planes = U16(info, 12);
        d.bitCount = U16(info, 14);
        d.compression = U32(info, 16);
        colorsUsed = U32(info, 32);
    } else {
        return std::nullopt;
    }
    if (planes != 1 || d.width <= 0 || d.height == 0 || d.height == INT32_MIN)
        return std::nullopt;
    const std::int64_t rows = d.height < 0 ? -std::int64_t{d.height} : d.height;
    if (d.width > 65535 || rows > 65535 || d.width * rows > kMaxBitmapPixels)
        return std::nullopt;
    switch (d.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (!(d.compression == kBiRgb || (d.compression == kBiRle8 && d.bitCount == 8) ||
              (d.compression == kBiRle4 && d.bitCount == 4)))
            return std::nullopt;
        break;
    case 16:
    case 32:
        if (d.compression != kBiRgb && d.compression != kBiBitfields)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    // RLE rows always run bottom-up.
    if ((d.compression == kBiRle8 || d.compression == kBiRle4) && d.height < 0)
        return std::nullopt;

    std::uint64_t colors = colorsUsed;
    if (d.bitCount <= 8) {
        const std::uint64_t full = std::uint64_t{1} << d.bitCount;
        if (colors == 0 || colors > full)
            colors = full;
    } else if (colors > 256) {
        return std::nullopt;
    }
    const std::uint64_t masks = d.compression == kBiBitfields && d.headerSize == 40 ? 12 : 0;
    const std::uint64_t infoSize = d.headerSize + masks + colors * paletteEntry;
    if (infoSize > info.size())
        return std::nullopt;
    d.infoSize = static_cast<std::uint32_t>(infoSize);

    if (d.compression == kBiRle8 || d.compression == kBiRle4) {
        if (pixelsAvailable == 0 || pixelsAvailable > UINT32_MAX / 2)
            return std::nullopt;
        d.pixelBytes = static_cast<std::uint32_t>(pixelsAvailable);
    } else {
        const std::uint64_t need = Stride(d.width, d.bitCount) * static_cast<std::uint64_t>(rows);
        if (need > pixelsAvailable)
            return std::nullopt;
        d.pixelBytes = static_cast<std::uint32_t>(need);
    }
    return d;
}

} // namespace

std::optional<std::vector<std::uint8_t>> BmpFromDib(std::span<const std::uint8_t> info,
                                                    std::span<const std::uint8_t> pixels, DibLayout* layout)
{
    const std::optional<DibLayout> d = ReadDibLayout(info, pixels.size());
    if (!d)
        return std::nullopt;
    if (layout)
        *layout = *d;
    const std::size_t size = kFileHeaderSize + d->infoSize + d->pixelBytes;
    std::vector<std::uint8_t> out(kFileHeaderSize);
    out.reserve(size);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(size));
    Put32(out, 10, static_cast<std::uint32_t>(kFileHeaderSize + d->infoSize));
    out.insert(out.end(), info.begin(), info.begin() + d->infoSize);
    out.insert(out.end(), pixels.begin(), pixels.begin() + d->pixelBytes);
    if (d->headerSize >= 40)
        Put32(out, kFileHeaderSize + 20, d->compression == kBiRgb ? 0 : d->pixelBytes); // biSizeImage
    return out;
}

std::optional<std::vector<std::uint8_t>> BmpFromDib(std::span<const std::uint8_t> dib, DibLayout* layout)
{
    // The pixels follow the info part, whose size the header tells; read it against all the
    // data first, then against what remains.
    const std::optional<DibLayout> first = ReadDibLayout(dib, dib.size());
    if (!first)
        return std::nullopt;
    return BmpFromDib(dib.first(first->infoSize), dib.subspan(first->infoSize), layout);
}

std::optional<std::vector<std::uint8_t>> BmpFromDeviceBitmap(std::span<const std::uint8_t> bits,
                                                             const DeviceBitmap& f)
{
    if (f.width <= 0 || f.height <= 0 || f.width > 65535 || f.height > 65535 ||
        std::int64_t{f.width} * f.height > kMaxBitmapPixels)
        return std::nullopt;
    const std::int64_t bitsPerPixel = std::int64_t{f.bitsPerPixel} * f.planes;
    const bool mono = f.planes == 1 && f.bitsPerPixel == 1;
    const bool vga = bitsPerPixel == 4 && (f.planes == 4 || f.planes == 1);
    const bool direct =
        f.planes == 1 && (f.bitsPerPixel == 16 || f.bitsPerPixel == 24 || f.bitsPerPixel == 32);
    if (!mono && !vga && !direct)
        return std::nullopt;
    const std::int64_t planeBits = std::int64_t{f.width} * f.bitsPerPixel;
    const std::int64_t minRow = (planeBits + 15) / 16 * 2;
    const std::int64_t row = f.widthBytes > 0 ? f.widthBytes : minRow;
    if (row < (planeBits + 7) / 8 || row * f.planes * f.height > static_cast<std::int64_t>(bits.size()))
        return std::nullopt;

    std::array<std::uint32_t, 16> palette{};
    std::span<const std::uint32_t> used;
    std::uint16_t outBits = static_cast<std::uint16_t>(f.bitsPerPixel);
    if (mono) {
        palette[0] = 0x000000;
        palette[1] = 0xFFFFFF;
        used = std::span(palette).first(2);
    } else if (vga) {
        for (std::size_t i = 0; i < 16; ++i)
            palette[i] = kVgaColors[i];
        used = palette;
        outBits = 4;
    }
    std::vector<std::uint8_t> out = NewFile(f.width, f.height, outBits, used);
    const std::size_t pixelsAt = kFileHeaderSize + 40 + used.size() * 4;
    const std::size_t outStride = Stride(f.width, outBits);
    for (std::int64_t y = 0; y < f.height; ++y) {
        const std::uint8_t* src = bits.data() + y * row * f.planes;
        std::uint8_t* dst = out.data() + pixelsAt + static_cast<std::size_t>(y) * outStride;
        if (f.planes == 4) {
            // One bit of the colour index from each plane, plane 0 the lowest.
            for (std::int32_t x = 0; x < f.width; ++x) {
                int index = 0;
                for (int p = 0; p < 4; ++p)
                    index |= (src[p * row + x / 8] >> (7 - x % 8) & 1) << p;
                dst[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
            }
        } else {
            std::memcpy(dst, src, static_cast<std::size_t>(std::min<std::int64_t>(row, outStride)));
        }
    }
    return out;
}

} // namespace mirelda::picture
