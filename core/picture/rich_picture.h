#pragma once
// What a document's picture needs before it is drawn: its metafile read, its crop as a share
// of the picture, and the size it is shown at.

#include "core/picture/metafile.h"
#include "core/richtext/document.h"

#include <optional>

namespace mirelda::picture {

// The picture's metafile read into a display list; nothing when it is no WMF or EMF, or when
// the data is damaged or draws nothing. A WMF plays in the picture's mapping mode.
std::optional<Metafile> ReadMetafile(const RichPicture& picture);

// The share of the whole picture a crop of `crop` twips cuts off a side `full` twips long: at
// most 0.45 a side, so that a part always shows; none for a negative crop or a side of no length.
double CropShare(double crop, double full);

// No picture is laid out larger than this, in pixels, whatever its goal size says.
inline constexpr double kMaxPictureSide = 8000.0;

// How a document picture is laid out: the share of the whole picture each side's crop cuts off,
// and the size shown, in pixels at 96 per inch (1 to kMaxPictureSide).
struct PictureLayout
{
    double cropLeft = 0, cropTop = 0, cropRight = 0, cropBottom = 0;
    double width = 0, height = 0;
};

// A size, in twips, that a picture is shown at in place of its goal size and scale: the box of
// the shape that holds it.
struct PictureBox
{
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The whole picture is its goal size, else its own: the decoded bitmap's (`bitmapWidth` and
// `bitmapHeight` pixels, 0 when there is none), a WMF's \picw and \pich, the metafile's own
// size or frame, the \picw and \pich of a bitmap that could not be decoded, else 32 pixels.
// `picture` null: a placeholder; `metafile`: the picture's metafile as read, null when none.
// A `box` of some width and height is the goal size instead, at 100 % either way.
PictureLayout LayOutPicture(const RichPicture* picture, int bitmapWidth, int bitmapHeight,
                            const Metafile* metafile, const std::optional<PictureBox>& box = std::nullopt);

struct PictureRect
{
    double x = 0, y = 0, width = 0, height = 0;
};

// The part of a bitmap `width` by `height` pixels that `layout`'s crop leaves; nothing when
// nothing is cropped.
std::optional<PictureRect> CroppedPart(const PictureLayout& layout, double width, double height);

// Where the whole picture lies when the part its crop leaves is shown in `shown`: a metafile is
// played into that rectangle and clipped to `shown`.
PictureRect WholePicture(const PictureLayout& layout, const PictureRect& shown);

} // namespace mirelda::picture
