#include "core/view/copied_text.h"

#include <algorithm>

namespace mirelda {

std::u16string CopiedText(std::u16string_view text, const std::vector<TextSpan>& hidden, std::int32_t first,
                          std::int32_t end)
{
    const auto size = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    first = std::clamp(first, 0, size);
    end = std::clamp(end, 0, std::max(0, size - 1));
    std::u16string out;
    std::size_t span = 0;
    for (std::int32_t p = first; p < end; ++p) {
        while (span < hidden.size() && hidden[span].first + hidden[span].length <= p)
            ++span;
        if (span < hidden.size() && hidden[span].first <= p)
            continue;
        const char16_t c = text[static_cast<std::size_t>(p)];
        if (c == kParagraphMark || c == kLineBreak)
            out += u'\n';
        else if (c == u'\u00A0')
            out += u' ';
        else
            out += c;
    }
    return out;
}

} // namespace mirelda
