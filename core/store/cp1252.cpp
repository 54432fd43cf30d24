#include "core/store/cp1252.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace mirelda {

namespace {

// 0x80-0x9F, the only block where Windows-1252 departs from Latin-1. The five undefined
// bytes map to themselves so that every byte survives a decode/encode round trip.
constexpr std::array<char16_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr char kNoByte = '?';

char EncodeOne(char16_t c)
{
    const int byte = Cp1252ByteOf(c);
    return byte < 0 ? kNoByte : static_cast<char>(byte);
}

} // namespace

char16_t Cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighBlock[byte - 0x80];
    return byte;
}

std::u16string DecodeCp1252(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = Cp1252ToUnicode(static_cast<unsigned char>(bytes[i]));
    return out;
}

std::string EncodeCp1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            // A surrogate pair is one character outside the code page: one "?" for the pair.
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                ++i;
            out.push_back(kNoByte);
            continue;
        }
        out.push_back(EncodeOne(c));
    }
    return out;
}

char UpperCp1252(char byte)
{
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 'a' && b <= 'z')
        return static_cast<char>(b - 0x20);
    switch (b) {
    case 0x9A:
        return static_cast<char>(0x8A); // š → Š
    case 0x9C:
        return static_cast<char>(0x8C); // œ → Œ
    case 0x9E:
        return static_cast<char>(0x8E); // ž → Ž
    case 0xFF:
        return static_cast<char>(0x9F); // ÿ → Ÿ
    case 0xF7:
        return byte; // ÷ sits where a letter would
    default:
        break;
    }
    if (b >= 0xE0 && b <= 0xFE) // à..þ → À..Þ
        return static_cast<char>(b - 0x20);
    return byte; // ß and µ have no capital in the code page
}

std::string UpperCp1252(std::string_view bytes)
{
    std::string out(bytes);
    for (char& c : out)
        c = UpperCp1252(c);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // lone surrogate
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

Utf8Char DecodeUtf8Char(std::string_view text, std::size_t at)
{
    // No character is longer than four bytes, so the window keeps ICU's int32 indices small.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data() + at);
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size() - at, 4));
    std::int32_t used = 0;
    UChar32 c = 0;
    U8_NEXT(bytes, used, length, c);
    if (c < 0)
        return {0xFFFD, static_cast<std::size_t>(used), false};
    return {static_cast<char32_t>(c), static_cast<std::size_t>(used), true};
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char ch = DecodeUtf8Char(text, i);
        i += ch.length;
        if (ch.code >= 0x10000) {
            const char32_t c = ch.code - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(ch.code));
        }
    }
    return out;
}

int Cp1252ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighBlock.size(); ++i)
        if (kHighBlock[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

bool Utf8ToCp1252Strict(std::string_view utf8, std::string& out, std::string& why)
{
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char ch = DecodeUtf8Char(utf8, i);
        if (!ch.valid) {
            why = "not valid UTF-8";
            return false;
        }
        if (ch.code < 0x20 || ch.code == 0x7F) {
            why = "contains a control character";
            return false;
        }
        const int byte = Cp1252ByteOf(ch.code);
        if (byte < 0) {
            why = "has a character with no Windows-1252 byte: \"" + std::string(utf8.substr(i, ch.length)) +
                  "\"";
            return false;
        }
        out.push_back(static_cast<char>(byte));
        i += ch.length;
    }
    return true;
}

} // namespace mirelda
