#include "core/richtext/text_find.h"

#include <unicode/uchar.h>

#include <array>
#include <memory>
#include <string>

namespace mirelda {
namespace {

// Simple upper-case mapping of every UTF-16 unit, built once: the search over all articles
// compares every unit of every text.
struct UpperTable
{
    std::array<char16_t, 0x10000> upper;
    std::array<bool, 0x80> reachedFromNonAscii{}; // e.g. 'I' from U+0131, 'S' from U+017F

    UpperTable()
    {
        for (UChar32 c = 0; c < 0x10000; ++c) {
            const UChar32 u = u_toupper(c);
            upper[c] = static_cast<char16_t>(u <= 0xFFFF ? u : c);
            if (c >= 0x80 && upper[c] < 0x80)
                reachedFromNonAscii[upper[c]] = true;
        }
    }
};

const UpperTable& Upper()
{
    static const auto table = std::make_unique<const UpperTable>();
    return *table;
}

bool IsWordUnit(char16_t c)
{
    if (c < 0x80) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    }
    return u_isalnum(c);
}

bool AtWordBoundaries(std::u16string_view text, std::size_t at, std::size_t length)
{
    if (at > 0 && IsWordUnit(text[at - 1]))
        return false;
    const std::size_t after = at + length;
    return after >= text.size() || !IsWordUnit(text[after]);
}

} // namespace

std::int32_t FindText(std::u16string_view text, std::u16string_view what, std::int32_t from, bool matchCase,
                      bool wholeWord)
{
    if (what.empty() || from > static_cast<std::int64_t>(text.size()))
        return -1;
    const std::size_t m = what.size();
    if (m > text.size())
        return -1;
    const std::size_t last = text.size() - m; // last start that fits
    std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from);
    const char16_t* t = text.data();

    if (matchCase) {
        const char16_t first = what[0];
        for (; i <= last; ++i) {
            if (t[i] != first)
                continue;
            if (text.compare(i + 1, m - 1, what.substr(1)) != 0)
                continue;
            if (!wholeWord || AtWordBoundaries(text, i, m))
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    const UpperTable& table = Upper();
    const auto& up = table.upper;
    std::u16string needle(what);
    for (char16_t& c : needle)
        c = up[c];
    // The first unit of a candidate is found without the table when only two units map to it
    // (an ASCII letter and its other case), the common case.
    const char16_t first = needle[0];
    char16_t other = first;
    if (first >= u'A' && first <= u'Z')
        other = static_cast<char16_t>(first + 32);
    const bool twoCandidates = first < 0x80 && !table.reachedFromNonAscii[first];
    for (; i <= last; ++i) {
        const char16_t c = t[i];
        if (twoCandidates ? (c != first && c != other) : up[c] != first)
            continue;
        std::size_t k = 1;
        while (k < m && up[t[i + k]] == needle[k])
            ++k;
        if (k < m)
            continue;
        if (!wholeWord || AtWordBoundaries(text, i, m))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::vector<std::pair<std::int32_t, std::int32_t>> FindAllText(std::u16string_view text,
                                                               std::u16string_view what, bool matchCase,
                                                               bool wholeWord, std::size_t limit)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> found;
    const auto length = static_cast<std::int32_t>(what.size());
    for (std::int32_t at = FindText(text, what, 0, matchCase, wholeWord); at >= 0 && found.size() < limit;
         at = FindText(text, what, at + 1, matchCase, wholeWord))
        found.emplace_back(at, at + length);
    return found;
}

} // namespace mirelda
