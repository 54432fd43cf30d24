#pragma once
// Draws a metafile's display list with QPainter: the same strokes on a screen of any pixel
// ratio, in a print preview and on paper, because every length is mapped at paint time.

#include "core/picture/display_list.h"

#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

class QPainter;

namespace mirelda::ui {

// Decodes `bytes` as an image of `format` ("BMP", "PNG", ...) when its pixels fit in
// `pixelBudget`, which then loses them, and it is no JPEG whose scans would cost its decoder
// seconds; else a null image.
QImage DecodeImage(std::span<const std::uint8_t> bytes, const char* format, std::int64_t& pixelBudget);

class DrawnPicture
{
  public:
    // Decodes the list's bitmaps once, taking their pixels from `pixelBudget`; one that cannot
    // be decoded, or would overdraw the budget, is left out.
    DrawnPicture(picture::DisplayList list, std::int64_t& pixelBudget);

    // Maps the list's frame onto `target` (painter coordinates) and draws it there; nothing
    // is drawn outside `clip`.
    void Paint(QPainter& painter, const QRectF& target, const QRectF& clip) const;

  private:
    picture::DisplayList list_;
    std::unordered_map<const std::vector<std::uint8_t>*, QImage> images_;
    // Each clip's area once a paint has needed it; it does not depend on where the picture
    // is drawn.
    mutable std::vector<std::optional<QPainterPath>> clips_;
};

} // namespace mirelda::ui
