#pragma once
// Bitmaps as RTF and metafiles carry them, turned into BMP files that an image decoder reads.
//
// A device-independent bitmap (DIB) is a BMP file without its 14-byte file header:
//   info header  BITMAPCOREHEADER (12 bytes) or BITMAPINFOHEADER (40) / V4 (108) / V5 (124)
//   masks        three 32-bit masks after a 40-byte header when compression is BI_BITFIELDS
//   palette      biClrUsed entries (2^bits when 0 and bits <= 8); 4 bytes each, 3 for a core
//                header
//   pixels       rows bottom-up (top-down when the height is negative), each padded to 4 bytes;
//                RLE-coded for BI_RLE8 / BI_RLE4
// The file header adds "BM", the file size and the offset of the pixels, which a decoder needs
// and the DIB does not say.
//
// Every function checks the sizes against the data: a bitmap whose header, palette or pixels
// do not fit, whose size is absurd, or whose format a BMP decoder cannot read gives nothing.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mirelda::picture {

// No bitmap larger than this many pixels is decoded (a 4096 x 4096 screenshot still is).
inline constexpr std::int64_t kMaxBitmapPixels = 4096LL * 4096LL;

struct DibLayout
{
    std::uint32_t headerSize = 0; // bytes of the info header itself
    std::uint32_t infoSize = 0;   // header + masks + palette: where the pixels start in the DIB
    std::uint32_t pixelBytes = 0; // bytes the pixels need (for RLE, those present)
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: top-down rows
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
};

// A BMP file from a DIB in one piece (info, then pixels); `layout`, when given, receives the
// layout read.
std::optional<std::vector<std::uint8_t>> BmpFromDib(std::span<const std::uint8_t> dib,
                                                    DibLayout* layout = nullptr);

// A BMP file from a DIB given as its info part and its pixels apart (as metafile records do).
std::optional<std::vector<std::uint8_t>> BmpFromDib(std::span<const std::uint8_t> info,
                                                    std::span<const std::uint8_t> pixels,
                                                    DibLayout* layout = nullptr);

// A device-dependent bitmap (RTF's \wbitmap): rows top-down, `widthBytes` each (even), the
// planes of one row after each other. Monochrome (1 plane, 1 bit: 0 black, 1 white), the
// 16 VGA colours (4 planes of 1 bit, or 1 plane of 4 bits), and 16, 24 and 32 bits a pixel are
// understood; any other kind gives nothing.
struct DeviceBitmap
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthBytes = 0; // 0: the narrowest even row
    std::int32_t bitsPerPixel = 1;
    std::int32_t planes = 1;
};
std::optional<std::vector<std::uint8_t>> BmpFromDeviceBitmap(std::span<const std::uint8_t> bits,
                                                             const DeviceBitmap& format);

} // namespace mirelda::picture
