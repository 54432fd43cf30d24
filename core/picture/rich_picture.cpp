#include "core/picture/rich_picture.h"

#include "core/richtext/units.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace mirelda::picture {

namespace {

// Two pixels at 96 per inch, in 0.01 mm.
constexpr std::int32_t kMinMetafileHundredthsMm = 53;

} // namespace

std::optional<Metafile> ReadMetafile(const RichPicture& picture)
{
    if (picture.kind == PictureKind::Wmf)
        return ReadWmf(picture.bytes, picture.mappingMode);
    if (picture.kind == PictureKind::Emf)
        return ReadEmf(picture.bytes);
    return std::nullopt;
}

double CropShare(double crop, double full)
{
    return full > 0 ? std::clamp(crop / full, 0.0, 0.45) : 0.0;
}

PictureLayout LayOutPicture(const RichPicture* picture, int bitmapWidth, int bitmapHeight,
                            const Metafile* metafile, const std::optional<PictureBox>& box)
{
    const bool boxed = box && box->width > 0 && box->height > 0;
    // The whole picture's size in twips: its shape's box, else its goal size, else its own.
    double fullW = 0, fullH = 0;
    if (boxed) {
        fullW = box->width;
        fullH = box->height;
    } else if (picture && picture->goalWidth > 0 && picture->goalHeight > 0) {
        fullW = picture->goalWidth;
        fullH = picture->goalHeight;
    } else if (bitmapWidth > 0 && bitmapHeight > 0) {
        fullW = bitmapWidth * kTwipsPerPixel;
        fullH = bitmapHeight * kTwipsPerPixel;
    } else if (metafile && picture && picture->kind == PictureKind::Wmf && picture->pixelWidth > 0 &&
               picture->pixelHeight > 0 &&
               std::max(picture->pixelWidth, picture->pixelHeight) >= kMinMetafileHundredthsMm) {
        // A metafile's \picw and \pich are in 0.01 mm. A size that would leave it under two
        // pixels either way (\picw1\pich2) hides it: the data's own size is taken instead.
        fullW = picture->pixelWidth * 1440.0 / 2540.0;
        fullH = picture->pixelHeight * 1440.0 / 2540.0;
    } else if (metafile && metafile->naturalWidth > 0 && metafile->naturalHeight > 0) {
        fullW = metafile->naturalWidth * 1440.0 / 2540.0;
        fullH = metafile->naturalHeight * 1440.0 / 2540.0;
    } else if (metafile) {
        fullW = std::abs(metafile->list.width) * kTwipsPerPixel;
        fullH = std::abs(metafile->list.height) * kTwipsPerPixel;
    } else if (picture && picture->pixelWidth > 0 && picture->pixelHeight > 0) {
        fullW = picture->pixelWidth * kTwipsPerPixel;
        fullH = picture->pixelHeight * kTwipsPerPixel;
    } else {
        fullW = fullH = 32 * kTwipsPerPixel;
    }
    double cropL = 0, cropT = 0, cropR = 0, cropB = 0;
    if (picture) {
        cropL = CropShare(picture->cropLeft, fullW);
        cropT = CropShare(picture->cropTop, fullH);
        cropR = CropShare(picture->cropRight, fullW);
        cropB = CropShare(picture->cropBottom, fullH);
    }
    const double scaleX = picture && !boxed ? std::clamp(picture->scaleX, 1, 1000) / 100.0 : 1.0;
    const double scaleY = picture && !boxed ? std::clamp(picture->scaleY, 1, 1000) / 100.0 : 1.0;
    return {cropL,
            cropT,
            cropR,
            cropB,
            std::clamp(fullW * (1 - cropL - cropR) * scaleX / kTwipsPerPixel, 1.0, kMaxPictureSide),
            std::clamp(fullH * (1 - cropT - cropB) * scaleY / kTwipsPerPixel, 1.0, kMaxPictureSide)};
}

std::optional<PictureRect> CroppedPart(const PictureLayout& layout, double width, double height)
{
    if (layout.cropLeft + layout.cropTop + layout.cropRight + layout.cropBottom <= 0)
        return std::nullopt;
    return PictureRect{width * layout.cropLeft, height * layout.cropTop,
                       width * (1 - layout.cropLeft - layout.cropRight),
                       height * (1 - layout.cropTop - layout.cropBottom)};
}

PictureRect WholePicture(const PictureLayout& layout, const PictureRect& shown)
{
    // Each crop share is at most 0.45, so some of the picture always shows.
    const double wholeWidth = shown.width / (1 - layout.cropLeft - layout.cropRight);
    const double wholeHeight = shown.height / (1 - layout.cropTop - layout.cropBottom);
    return {shown.x - layout.cropLeft * wholeWidth, shown.y - layout.cropTop * wholeHeight, wholeWidth,
            wholeHeight};
}

} // namespace mirelda::picture
