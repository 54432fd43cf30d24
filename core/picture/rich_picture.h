#pragma once
// What a document's picture needs before it is drawn: its metafile read, and its crop as a
// share of the picture.

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

} // namespace mirelda::picture
