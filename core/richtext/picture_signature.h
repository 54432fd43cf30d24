#pragma once
// What picture data is, told by its first bytes rather than by the RTF word that announced it:
// writers put PNG data under \jpegblip, GIF under \pngblip, whole BMP files under \dibitmap.

#include <cstdint>
#include <optional>
#include <span>

#include "core/richtext/document.h"

namespace mirelda {

// The kind whose signature `data` starts with: Png, Jpeg, Gif, Bmp (a BMP file with its file
// header), Wmf (with or without the placeable header) or Emf; nothing when no signature
// matches (a DIB, a device bitmap, or damaged data). Reads no more than the first 44 bytes.
std::optional<PictureKind> PictureKindOfData(std::span<const std::uint8_t> data);

} // namespace mirelda
