#pragma once
// The RTF reader's lexical pieces that a scan over raw RTF bytes must read exactly as the
// reader does (the search's prefilter): where RTF begins, hex digits, a control word's
// parameter, the byte classes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace mirelda::rtf {

inline constexpr std::int32_t kParamLimit = 1'000'000'000;

// The bytes a run of plain text is made of, those that end a skipped group's scan, and the
// letters of a control word.
struct ByteClasses
{
    std::array<bool, 256> plainText{}; // printable ASCII other than '\\', '{', '}'
    std::array<bool, 256> skipStop{};  // '\\', '{', '}'
    std::array<bool, 256> letter{};

    constexpr ByteClasses()
    {
        for (int c = 0x20; c < 0x7F; ++c)
            plainText[c] = c != '\\' && c != '{' && c != '}';
        skipStop['\\'] = skipStop['{'] = skipStop['}'] = true;
        for (int c = 'a'; c <= 'z'; ++c)
            letter[c] = true;
        for (int c = 'A'; c <= 'Z'; ++c)
            letter[c] = true;
    }
};
inline constexpr ByteClasses kBytes{};

// Where the RTF starts once leading white space is skipped: "{\\rtf", or "{\\urtf" as the
// rich-edit control also accepts (what follows is read alike). Null when the input is not RTF.
inline const unsigned char* FindRtfStart(const unsigned char* p, const unsigned char* end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'))
        ++p;
    const auto n = static_cast<std::size_t>(end - p);
    if ((n >= 5 && std::memcmp(p, "{\\rtf", 5) == 0) || (n >= 6 && std::memcmp(p, "{\\urtf", 6) == 0))
        return p;
    return nullptr;
}

inline int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A control word's parameter: [-]digits, clamped; then the optional space delimiter.
inline void ReadParameter(const unsigned char*& p, const unsigned char* end, bool& has, std::int32_t& value)
{
    has = false;
    value = 0;
    bool negative = false;
    if (p < end && *p == '-' && p + 1 < end && p[1] >= '0' && p[1] <= '9') {
        negative = true;
        ++p;
    }
    std::int64_t v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (v < kParamLimit)
            v = v * 10 + (*p - '0');
        ++p;
        has = true;
    }
    v = std::min<std::int64_t>(v, kParamLimit);
    value = static_cast<std::int32_t>(negative ? -v : v);
    if (p < end && *p == ' ')
        ++p;
}

} // namespace mirelda::rtf
