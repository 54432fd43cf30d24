#include "core/richtext/rtf_shape_property.h"

#include <algorithm>
#include <cstdint>

#include "core/richtext/rtf_lexer.h"

namespace mirelda::rtf {

void ShapePropertyValues(const unsigned char* p, const unsigned char* end,
                         std::span<const std::string_view> names, std::span<std::string_view> values)
{
    std::size_t depth = 1;
    std::size_t named = names.size(); // the index of the last \sn's name, if one of `names`
    std::size_t found = 0;
    std::fill(values.begin(), values.end(), std::string_view());
    while (p < end && found < names.size()) {
        const unsigned char c = *p++;
        if (c == '{') {
            ++depth;
            continue;
        }
        if (c == '}') {
            if (--depth == 0)
                break;
            continue;
        }
        if (c != '\\' || p >= end)
            continue;
        if (!kBytes.letter[*p]) {
            ++p; // a control symbol: "\{" "\}" "\\" are no braces
            continue;
        }
        const unsigned char* word = p;
        while (p < end && kBytes.letter[*p])
            ++p;
        const std::string_view letters(reinterpret_cast<const char*>(word),
                                       static_cast<std::size_t>(p - word));
        bool has = false;
        std::int32_t value = 0;
        ReadParameter(p, end, has, value);
        if (letters == "bin") {
            p += std::clamp<std::int64_t>(value, 0, end - p);
            continue;
        }
        if (letters != "sn" && letters != "sv")
            continue;
        const unsigned char* text = p;
        while (p < end && !kBytes.skipStop[*p])
            ++p;
        std::string_view s(reinterpret_cast<const char*>(text), static_cast<std::size_t>(p - text));
        while (!s.empty() && s.front() == ' ')
            s.remove_prefix(1);
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        if (letters == "sn") {
            named = static_cast<std::size_t>(std::find(names.begin(), names.end(), s) - names.begin());
        } else if (named < names.size() && values[named].data() == nullptr) { // the first value counts
            values[named] = s;
            ++found;
        }
    }
}

bool ShapePropertyFlag(std::string_view value)
{
    if (!value.empty() && value.front() == '-')
        value.remove_prefix(1);
    if (value.empty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return value.find_first_not_of('0') != std::string_view::npos;
}

} // namespace mirelda::rtf
