#pragma once
// Keyboard access to the links of the article shown (Ctrl+Tab, Ctrl+Shift+Tab): which link
// takes the focus next.

#include "core/store/help_set.h"
#include "core/view/position_map.h"

#include <cstdint>
#include <vector>

namespace mirelda {

// The position just past a link; a stored `last` of the largest position has none.
std::int32_t LinkEnd(const LinkRecord& link);

// The index in `links` of the link after (`forward`) or before the one at `current`, in text
// order (by first, then last position; file order among equals), wrapping; the first or the
// last one when `current` is none of them. A link the document does not show (hidden, or past
// its end, as `map` says) is passed over. -1 when the document shows no link at all.
int NextFocusedLink(const std::vector<LinkRecord>& links, const PositionMap& map, int current, bool forward);

} // namespace mirelda
