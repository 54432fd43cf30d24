#include "core/richtext/rtf_parser.h"

namespace mirelda::rtf {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v';
}

char16_t AsciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

} // namespace

// HYPERLINK "target" [\l "anchor"] [\o "tip"] [\t "frame"] [\m] [\n] [\h]
bool ParseHyperlink(std::u16string_view s, HyperlinkTarget& out)
{
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && IsSpace(s[i]))
        ++i;
    constexpr std::u16string_view kName = u"HYPERLINK";
    if (n - i < kName.size())
        return false;
    for (std::size_t k = 0; k < kName.size(); ++k) {
        if (AsciiUpper(s[i + k]) != kName[k])
            return false;
    }
    i += kName.size();
    if (i < n && !IsSpace(s[i]))
        return false;
    out = HyperlinkTarget{};
    bool haveTarget = false;
    char16_t expecting = 0; // the switch whose argument comes next
    while (true) {
        while (i < n && IsSpace(s[i]))
            ++i;
        if (i >= n)
            break;
        if (s[i] == u'\\' && i + 1 < n && s[i + 1] != u'"') {
            const char16_t sw = s[i + 1];
            i += 2;
            expecting = (sw == u'l' || sw == u'o' || sw == u't') ? sw : 0;
            continue;
        }
        std::u16string token;
        if (s[i] == u'"') {
            ++i;
            while (i < n && s[i] != u'"') {
                if (s[i] == u'\\' && i + 1 < n && (s[i + 1] == u'"' || s[i + 1] == u'\\'))
                    ++i;
                token.push_back(s[i++]);
            }
            if (i < n)
                ++i;
        } else {
            while (i < n && !IsSpace(s[i]))
                token.push_back(s[i++]);
        }
        if (expecting == u'l') {
            out.anchor = std::move(token);
        } else if (expecting == 0 && !haveTarget) {
            out.target = std::move(token);
            haveTarget = true;
        }
        expecting = 0;
    }
    return true;
}

std::u16string FormatListNumber(std::int32_t number, ListKind kind)
{
    const auto decimal = [](std::int32_t v) {
        const std::string digits = std::to_string(v);
        return std::u16string(digits.begin(), digits.end());
    };
    switch (kind) {
    case ListKind::LowerLetter:
    case ListKind::UpperLetter: {
        if (number < 1 || number > 26 * 8)
            return decimal(number);
        const char16_t base = kind == ListKind::LowerLetter ? u'a' : u'A';
        // a..z, then aa..zz, as word processors count
        return std::u16string(static_cast<std::size_t>((number - 1) / 26 + 1),
                              static_cast<char16_t>(base + (number - 1) % 26));
    }
    case ListKind::LowerRoman:
    case ListKind::UpperRoman: {
        if (number < 1 || number > 3999)
            return decimal(number);
        static constexpr std::pair<int, const char*> kParts[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        std::u16string out;
        for (const auto& [value, letters] : kParts) {
            while (number >= value) {
                for (const char* c = letters; *c; ++c) {
                    out.push_back(kind == ListKind::UpperRoman ? AsciiUpper(*c) : char16_t(*c));
                }
                number -= value;
            }
        }
        return out;
    }
    default:
        return decimal(number);
    }
}

// "a." "(iv)" "C)": one run of ASCII letters with punctuation beside it. A run alone ("o", the
// hollow bullet of Word's second level) is a bullet, not a letter.
bool ParseLetterLabel(std::u16string_view text, ListKind& kind, std::int32_t& number)
{
    const auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    const auto first = std::find_if(text.begin(), text.end(), isLetter);
    if (first == text.end())
        return false;
    const auto last = std::find_if_not(first, text.end(), isLetter);
    if (std::find_if(last, text.end(), isLetter) != text.end() ||
        (first == text.begin() && last == text.end()))
        return false;
    const std::u16string_view letters(&*first, static_cast<std::size_t>(last - first));
    if (letters.size() > 16)
        return false;
    const bool upper = letters[0] <= u'Z';
    std::u16string lower;
    for (char16_t c : letters) {
        if ((c <= u'Z') != upper)
            return false;
        lower.push_back(upper ? static_cast<char16_t>(c + 32) : c);
    }
    // Roman when it spells a number: "i", "iv", "xii". A lone "v", "x", "l", "c", "d", "m" is
    // a letter: a list counting in Roman numerals reaches it only after "iv", "ix"...
    if (lower.size() > 1 || lower == u"i") {
        static constexpr std::pair<char16_t, int> kValues[] = {
            {u'i', 1}, {u'v', 5}, {u'x', 10}, {u'l', 50}, {u'c', 100}, {u'd', 500}, {u'm', 1000}};
        std::int32_t value = 0;
        bool roman = true;
        for (std::size_t k = 0; k < lower.size() && roman; ++k) {
            const auto of = [&](char16_t c) {
                for (const auto& [letter, v] : kValues) {
                    if (letter == c)
                        return v;
                }
                return 0;
            };
            const int v = of(lower[k]);
            const int next = k + 1 < lower.size() ? of(lower[k + 1]) : 0;
            roman = v > 0;
            value += v < next ? -v : v;
        }
        if (roman && value > 0 && FormatListNumber(value, ListKind::LowerRoman) == lower) {
            kind = upper ? ListKind::UpperRoman : ListKind::LowerRoman;
            number = value;
            return true;
        }
    }
    // Letters: "a".."z", then "aa".."zz".
    if (!std::all_of(lower.begin(), lower.end(), [&](char16_t c) { return c == lower[0]; }))
        return false;
    kind = upper ? ListKind::UpperLetter : ListKind::LowerLetter;
    number = static_cast<std::int32_t>(lower.size() - 1) * 26 + (lower[0] - u'a' + 1);
    return true;
}

} // namespace mirelda::rtf
