#pragma once
// The plain text that a copy from the article view puts on the clipboard.

#include "core/richtext/document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

// The model text of [first, end) as the article holds it, table cells separated by tabs and
// rows ended by line ends: hidden text (`hidden`, merged spans in order) left out, paragraph
// marks and line breaks as line feeds, no-break spaces as spaces. The range is clamped to the
// text and never takes its final paragraph mark.
std::u16string CopiedText(std::u16string_view text, const std::vector<TextSpan>& hidden, std::int32_t first,
                          std::int32_t end);

} // namespace mirelda
