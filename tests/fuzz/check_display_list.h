// Shared check of the metafile fuzz targets: a read display list stays within its limits and every
// index in it is in range; anything else aborts so that libFuzzer reports the input.
#pragma once

#include "core/picture/metafile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace mirelda::fuzz {

inline void CheckMetafile(const std::optional<picture::Metafile>& m)
{
    using namespace mirelda::picture;
    if (!m)
        return;
    const DisplayList& list = m->list;
    if (list.items.empty() || list.items.size() > kMaxItems || list.width == 0 || list.height == 0 ||
        !std::isfinite(list.width) || !std::isfinite(list.height))
        std::abort();
    for (const Item& item : list.items) {
        if (item.clip >= static_cast<std::int32_t>(list.clips.size()))
            std::abort();
        std::size_t needed = 0;
        for (const PathVerb verb : item.path.verbs)
            needed += verb == PathVerb::Cubic ? 3 : verb == PathVerb::Close ? 0 : 1;
        if (needed != item.path.points.size())
            std::abort();
        if (!item.text.advances.empty() && item.text.advances.size() != item.text.text.size())
            std::abort();
    }
}

} // namespace mirelda::fuzz
