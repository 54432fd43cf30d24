#include "core/picture/rich_picture.h"

#include <algorithm>

namespace mirelda::picture {

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

} // namespace mirelda::picture
