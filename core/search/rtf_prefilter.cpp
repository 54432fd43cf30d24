#include "core/search/rtf_prefilter.h"

#include "core/richtext/code_page.h"
#include "core/richtext/rtf_lexer.h"
#include "core/richtext/symbol_font.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirelda {
namespace {

// The case folding of the text find: each unit's simple upper-case mapping.
char16_t Fold(char16_t unit, bool matchCase)
{
    if (matchCase)
        return unit;
    const UChar32 upper = u_toupper(unit);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

bool IsAsciiAlnum(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// ASCII units that some non-ASCII unit folds to (I from dotless i, S from long s...).
const std::array<bool, 128>& ReachedFromNonAscii()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<bool, 128>>();
        t->fill(false);
        for (UChar32 c = 0x80; c < 0x10000; ++c) {
            const char16_t f = Fold(static_cast<char16_t>(c), false);
            if (f < 0x80)
                (*t)[f] = true;
        }
        return t;
    }();
    return *table;
}

// `p` at the backslash: the control word `word` (letters only, then no letter) with its
// parameter, read as the reader reads it.
bool WordAt(const unsigned char* p, const unsigned char* end, std::string_view word, std::int32_t& value)
{
    const unsigned char* w = p + 1;
    if (static_cast<std::size_t>(end - w) < word.size() || std::memcmp(w, word.data(), word.size()) != 0)
        return false;
    w += word.size();
    if (w < end && rtf::kBytes.letter[*w])
        return false;
    bool has = false;
    rtf::ReadParameter(w, end, has, value);
    return has;
}

// Whether `byte`, in Symbol or Wingdings text, reads as `unit` (folded).
bool SymbolFontGives(unsigned char byte, char16_t unit, bool matchCase)
{
    for (const rtf::SymbolFont font : {rtf::SymbolFont::Symbol, rtf::SymbolFont::Wingdings}) {
        if (Fold(rtf::SymbolFontUnit(font, byte), matchCase) == unit)
            return true;
    }
    return false;
}

bool IsRtf(std::string_view rtf)
{
    const auto* p = reinterpret_cast<const unsigned char*>(rtf.data());
    return rtf::FindRtfStart(p, p + rtf.size()) != nullptr; // as the reader decides
}

} // namespace

RtfPrefilter::RtfPrefilter(std::u16string_view what, bool matchCase) : matchCase_(matchCase)
{
    if (what.empty())
        return;
    what_.reserve(what.size());
    for (char16_t c : what)
        what_.push_back(Fold(c, matchCase));
    const char16_t first = what_[0];
    if (!IsAsciiAlnum(first))
        return;
    if (!matchCase && ReachedFromNonAscii()[first])
        return;
    std::size_t n = 0;
    for (int b = 0; b < 0x80; ++b) {
        firstByte_[b] = Fold(static_cast<char16_t>(b), matchCase) == first ||
                        SymbolFontGives(static_cast<unsigned char>(b), first, matchCase);
        if (!firstByte_[b])
            continue;
        if (n == variants_.size())
            return; // cannot happen with ASCII case pairs; stay inactive
        variants_[n++] = static_cast<unsigned char>(b);
    }
    if (n == 1)
        variants_[1] = variants_[0];
    startByte_ = firstByte_;
    startByte_['\\'] = true;
    active_ = true;
}

// A literal first unit at p: the bytes after it either match the string on, or end the
// plain-text run before a mismatch.
bool RtfPrefilter::LiteralAt(const unsigned char* p, const unsigned char* end) const
{
    for (std::size_t j = 1; j < what_.size(); ++j) {
        if (p + j >= end)
            return true;
        const unsigned char b = p[j];
        if (!rtf::kBytes.plainText[b]) // the plain-text run ends
            return true;
        if (Fold(b, matchCase_) != what_[j] && !SymbolFontGives(b, what_[j], matchCase_))
            return false;
    }
    return true;
}

// A backslash at p: an escape that can give the first unit, or a code page we do not judge.
bool RtfPrefilter::EscapeAt(const unsigned char* p, const unsigned char* end) const
{
    if (p + 1 >= end)
        return false;
    std::int32_t value = 0;
    switch (p[1]) {
    case '\'': {
        if (p + 2 >= end || rtf::HexValue(p[2]) < 0)
            return false;
        int byte = rtf::HexValue(p[2]);
        if (p + 3 < end && rtf::HexValue(p[3]) >= 0)
            byte = byte * 16 + rtf::HexValue(p[3]);
        return firstByte_[static_cast<unsigned char>(byte)];
    }
    case 'u': {
        if (!WordAt(p, end, "u", value))
            return false;
        char16_t unit = u'\uFFFD';
        if (value >= -32768 && value < 0)
            unit = static_cast<char16_t>(value + 65536);
        else if (value >= 0 && value <= 0xFFFF)
            unit = static_cast<char16_t>(value);
        if (unit >= 0xF020 && unit <= 0xF0FF && SymbolFontGives(unit & 0xFF, what_[0], matchCase_))
            return true; // a symbol font's private-use code reads as its symbol
        return Fold(unit, matchCase_) == what_[0];
    }
    case 'a':
        return WordAt(p, end, "ansicpg", value) && rtf::IsMultiByteCodePage(rtf::SupportedCodePage(value));
    case 'c':
        return WordAt(p, end, "cpg", value) && value > 0 &&
               rtf::IsMultiByteCodePage(rtf::SupportedCodePage(value));
    case 'f':
        return WordAt(p, end, "fcharset", value) &&
               rtf::IsMultiByteCodePage(rtf::CodePageOfCharset(std::clamp(value, 0, 255)));
    default:
        return false;
    }
}

namespace {

// The positions where MayContain must look closer, sixteen at a time: every position where
// ScanFrom's byte test or EscapeAt can answer yes is among them (each condition below is
// implied by one of theirs), so skipping the others changes nothing.
#if defined(__SSE2__)
inline unsigned Candidates(const unsigned char* p, __m128i first0, __m128i first1)
{
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    auto eq = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    auto within = [](__m128i v, char lo, char hi) { // lo <= v <= hi, unsigned
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(lo)), v),
                             _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(hi)), v));
    };
    // \'hh below 0x80: the high digit is 0-7. \uN: a digit or '-'. \ansicpg, \cpg, \fcharset.
    const __m128i escape = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(eq(v1, '\''), within(v2, '0', '7')),
                     _mm_and_si128(eq(v1, 'u'), _mm_or_si128(within(v2, '0', '9'), eq(v2, '-')))),
        _mm_or_si128(
            _mm_or_si128(_mm_and_si128(eq(v1, 'a'), eq(v2, 'n')), _mm_and_si128(eq(v1, 'c'), eq(v2, 'p'))),
            _mm_and_si128(eq(v1, 'f'), eq(v2, 'c'))));
    const __m128i hits = _mm_or_si128(_mm_and_si128(eq(v0, '\\'), escape),
                                      _mm_or_si128(_mm_cmpeq_epi8(v0, first0), _mm_cmpeq_epi8(v0, first1)));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}
#endif

} // namespace

bool RtfPrefilter::At(const unsigned char* p, const unsigned char* end) const
{
    const unsigned char b = *p;
    if (b == '\\')
        return EscapeAt(p, end);
    return firstByte_[b] && LiteralAt(p, end);
}

bool RtfPrefilter::ScanFrom(const unsigned char* p, const unsigned char* end) const
{
    for (; p < end; ++p) {
        if (startByte_[*p] && At(p, end))
            return true;
    }
    return false;
}

bool RtfPrefilter::MayContain(std::string_view rtf) const
{
    if (!active_)
        return !what_.empty();
    if (!IsRtf(rtf))
        return true;
    const auto* p = reinterpret_cast<const unsigned char*>(rtf.data());
    const unsigned char* end = p + rtf.size();
#if defined(__SSE2__)
    const __m128i first0 = _mm_set1_epi8(static_cast<char>(variants_[0]));
    const __m128i first1 = _mm_set1_epi8(static_cast<char>(variants_[1]));
    for (; end - p >= 18; p += 16) {
        for (unsigned mask = Candidates(p, first0, first1); mask != 0; mask &= mask - 1) {
            if (At(p + __builtin_ctz(mask), end))
                return true;
        }
    }
#endif
    return ScanFrom(p, end);
}

bool RtfPrefilter::MayContainByteByByte(std::string_view rtf) const
{
    if (!active_)
        return !what_.empty();
    if (!IsRtf(rtf))
        return true;
    const auto* p = reinterpret_cast<const unsigned char*>(rtf.data());
    return ScanFrom(p, p + rtf.size());
}

} // namespace mirelda
