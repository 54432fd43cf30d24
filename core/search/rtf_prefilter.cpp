#include "core/search/rtf_prefilter.h"

#include "core/richtext/code_page.h"
#include "core/richtext/document.h"
#include "core/richtext/rtf_lexer.h"
#include "core/richtext/symbol_font.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#if defined(__x86_64__)
#include <immintrin.h>
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
// (A template, so that the comparison has a constant length: every font of every article's font
// table comes here.)
template <std::size_t N>
bool WordAt(const unsigned char* p, const unsigned char* end, const char (&word)[N], std::int32_t& value)
{
    constexpr std::size_t kLength = N - 1;
    const unsigned char* w = p + 1;
    if (static_cast<std::size_t>(end - w) < kLength || std::memcmp(w, word, kLength) != 0)
        return false;
    w += kLength;
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

// Every unit a byte can stand for in text, whatever single-byte code page or symbol font it is
// read in, folded as the find compares (index 1: case kept), each list in increasing order:
// what \'hh may give (multi-byte code pages are not judged at all). Made on first use only:
// most searches never need it.
const std::array<std::u16string, 256>& FoldedUnitsOfByte(bool matchCase)
{
    static const auto tables = [] {
        auto t = std::make_unique<std::array<std::array<std::u16string, 256>, 2>>();
        rtf::CodePageCache cache;
        for (const int codePage : rtf::SingleByteCodePages()) {
            const rtf::ByteTable& units = cache.SingleByte(codePage);
            for (int mode = 0; mode < 2; ++mode) {
                for (std::size_t b = 0; b < units.size(); ++b) {
                    std::u16string& list = (*t)[mode][b];
                    const char16_t folded = Fold(units[b], mode == 1);
                    if (list.find(folded) == std::u16string::npos)
                        list.insert(std::lower_bound(list.begin(), list.end(), folded), folded);
                }
            }
        }
        return t;
    }();
    return (*tables)[matchCase ? 1 : 0];
}

// The forms of a candidate, one bit each in the VBMI scan's byte classes. A code page word
// (\\ansicpg, \\cpg, \\fcharset) is found by the letter that ends it and the digit after:
// a multi-byte value has three digits or more and starts with a digit of its own, perhaps
// after zeros, so that the "\\fcharset0 " and "\\ansicpg1252" of every header are no
// candidates; the word itself is then looked for behind that letter.
enum ClassBit : unsigned char {
    kQuoteForm = 1,        // "\\'" and a hex digit 0-7
    kUnicodeForm = 2,      // "\\u" and the first digit of a first-unit byte's value, or 0
    kCodePageForm = 4,     // 'g' and the first digit of a multi-byte code page
    kCharsetForm = 8,      // 't' and the first digit of a multi-byte character set
    kLeadingZeroForm = 16, // 'g' or 't', '0' and a digit
    kLiteralForm = 32,     // a first-unit byte, then one that gives the second unit or ends the run
};

char LeadingDigit(int value)
{
    return std::to_string(value)[0];
}

bool IsRtf(std::string_view rtf)
{
    const auto* p = reinterpret_cast<const unsigned char*>(rtf.data());
    return rtf::FindRtfStart(p, p + rtf.size()) != nullptr; // as the reader decides
}

// `p` at a backslash: the length of a control word that only changes the format of the text
// (its font, which may be a symbol font, included), or 0. The reader reads these words and
// gives no unit for them, unless a "\\*" before makes them skip their group.
std::size_t FormatWordLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char* q = p + 1;
    while (q < end && rtf::kBytes.letter[*q])
        ++q;
    const std::string_view letters(reinterpret_cast<const char*>(p + 1), static_cast<std::size_t>(q - p - 1));
    static constexpr std::string_view kFormatWords[] = {"b", "i",  "ul", "uldb", "ulnone",
                                                        "v", "cf", "fs", "f",    "plain"};
    if (std::find(std::begin(kFormatWords), std::end(kFormatWords), letters) == std::end(kFormatWords))
        return 0;
    bool has = false;
    std::int32_t value = 0;
    rtf::ReadParameter(q, end, has, value);
    return static_cast<std::size_t>(q - p);
}

// The unit a \uN stands for: negative values are the signed form Word writes above 0x7FFF.
char16_t UnitOfUnicodeWord(std::int32_t value)
{
    if (value >= -32768 && value < 0)
        return static_cast<char16_t>(value + 65536);
    if (value >= 0 && value <= 0xFFFF)
        return static_cast<char16_t>(value);
    return u'\uFFFD';
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
    for (std::size_t i = 0; i < variants_.size(); ++i)
        unicodeDigits_[i] = static_cast<unsigned char>(std::to_string(variants_[i])[0]);
    anySecond_ = what_.size() == 1;
    if (!anySecond_) {
        std::size_t m = 0;
        for (int b = 0x20; b < 0x7F && m < secondVariants_.size(); ++b) {
            if (Fold(static_cast<char16_t>(b), matchCase) == what_[1])
                secondVariants_[m++] = static_cast<unsigned char>(b);
        }
        if (m == 1)
            secondVariants_[1] = secondVariants_[0];
    }
    for (int b = 0x20; b <= 0xFF && !symbolFontReach_; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        symbolFontReach_ = SymbolFontGives(byte, first, matchCase) ||
                           (what_.size() > 1 && Fold(byte, matchCase) != what_[1] &&
                            SymbolFontGives(byte, what_[1], matchCase));
    }
    for (std::size_t b = 0; b < symbolFontUnits_.size(); ++b) {
        const auto byte = static_cast<unsigned char>(b);
        symbolFontUnits_[b] = {Fold(rtf::SymbolFontUnit(rtf::SymbolFont::Symbol, byte), matchCase),
                               Fold(rtf::SymbolFontUnit(rtf::SymbolFont::Wingdings, byte), matchCase)};
    }
    startByte_ = firstByte_;
    startByte_['\\'] = true;
    active_ = true;

    // The positions of Candidates64 below as three byte classes, code page words aside.
    auto& [at0, at1, at2] = classes_;
    at0['\\'] = kQuoteForm | kUnicodeForm;
    at1['\''] = kQuoteForm;
    at1['u'] = kUnicodeForm;
    for (unsigned char b = '0'; b <= '7'; ++b)
        at2[b] |= kQuoteForm;
    for (const unsigned char b : {unicodeDigits_[0], unicodeDigits_[1], static_cast<unsigned char>('0')})
        at2[b] |= kUnicodeForm;
    at0['g'] |= kCodePageForm | kLeadingZeroForm;
    at0['t'] |= kCharsetForm | kLeadingZeroForm;
    at1['0'] |= kLeadingZeroForm;
    for (const int codePage : rtf::kMultiByteCodePages) {
        at1[static_cast<unsigned char>(LeadingDigit(codePage))] |= kCodePageForm;
        lookupUsable_ = lookupUsable_ && codePage >= 100;
    }
    // A \fcharset value is clamped to 0-255 (a larger one reads as 255, a negative one as 0).
    for (int charset = 0; charset <= 255; ++charset) {
        if (!rtf::IsMultiByteCodePage(rtf::CodePageOfCharset(charset)))
            continue;
        at1[static_cast<unsigned char>(LeadingDigit(charset))] |= kCharsetForm;
        lookupUsable_ = lookupUsable_ && charset >= 100 && charset < 255;
    }
    for (std::size_t b = 0; b < 0x80; ++b) {
        if (firstByte_[b])
            at0[b] |= kLiteralForm;
        if (anySecond_ || !rtf::kBytes.plainText[b] || b == secondVariants_[0] || b == secondVariants_[1])
            at1[b] |= kLiteralForm;
        at2[b] |= kLiteralForm | kCodePageForm | kCharsetForm;
        if (b >= '0' && b <= '9')
            at2[b] |= kLeadingZeroForm;
    }
}

// A literal first unit at p: the bytes after it either match the string on, or end the
// plain-text run before a mismatch, or with a character or escape that may give the next
// unit. Passed over on the way, as the reader gives no unit for them: CR and LF, braces (a
// group opened or closed in the text is text too, as no word leads back to the text from
// another destination; the last one adds the final paragraph mark), and format words once a
// brace or another word has cleared any "\\*".
bool RtfPrefilter::LiteralAt(const unsigned char* p, const unsigned char* end) const
{
    const unsigned char* q = p + 1;
    bool starCleared = false;
    for (std::size_t j = 1; j < what_.size(); ++j, ++q) {
        std::size_t word = 0;
        for (; q < end; ++q) {
            if (*q == '{' || *q == '}') {
                if (*q == '}' && what_[j] == kParagraphMark)
                    return true; // the brace that ends the document adds the final mark
                starCleared = true;
            } else if (*q == '\\' && starCleared && (word = FormatWordLength(q, end)) > 0) {
                q += word - 1;
            } else if (*q != '\r' && *q != '\n') {
                break;
            }
        }
        if (q >= end)
            return true;
        const unsigned char b = *q;
        if (!rtf::kBytes.plainText[b]) { // the plain-text run ends
            if (b == '\\')
                return EscapeMayGive(q, end, what_[j]);
            return b < 0x80 || ByteMayGive(b, what_[j]);
        }
        // Plain-text bytes are ASCII: their upper case needs no table.
        const char16_t unit = !matchCase_ && b >= 'a' && b <= 'z' ? static_cast<char16_t>(b - 32) : b;
        if (unit != what_[j] && symbolFontUnits_[b][0] != what_[j] && symbolFontUnits_[b][1] != what_[j])
            return false;
    }
    return true;
}

// Whether a byte from 0x20, read as text (raw or as \'hh), can give `unit`: its character in
// some single-byte code page or symbol font (a control character gives nothing, and the text
// goes on).
bool RtfPrefilter::ByteMayGive(unsigned char byte, char16_t unit) const
{
    const std::u16string& units = FoldedUnitsOfByte(matchCase_)[byte];
    return units.front() < 0x20 || std::binary_search(units.begin(), units.end(), unit);
}

// A backslash at p, right after plain text that matched the string up to `unit`: false when it
// is a \'hh or \uN that cannot give `unit`. The reader turns each into one unit there (no \uN
// fallback is pending after plain text): \'hh the byte's character in the current code page or
// symbol font, \uN its unit, a symbol font's private-use code the symbol; a control character
// then shows nothing, and the text goes on. Other escapes may give nothing too: true.
bool RtfPrefilter::EscapeMayGive(const unsigned char* p, const unsigned char* end, char16_t unit) const
{
    if (end - p < 2)
        return true;
    if (p[1] == 'u') {
        std::int32_t value = 0;
        if (!WordAt(p, end, "u", value))
            return true;
        const char16_t read = UnitOfUnicodeWord(value);
        if (read >= 0xF020 && read <= 0xF0FF && SymbolFontGives(read & 0xFF, unit, matchCase_))
            return true;
        return read < 0x20 || Fold(read, matchCase_) == unit;
    }
    if (p[1] != '\'' || end - p < 4)
        return true;
    const int high = rtf::HexValue(p[2]), low = rtf::HexValue(p[3]);
    if (high < 0 || low < 0)
        return true;
    const int byte = high * 16 + low;
    // A control character, or a damaged escape that takes the next byte: true.
    return byte < 0x20 || ByteMayGive(static_cast<unsigned char>(byte), unit);
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
        const char16_t unit = UnitOfUnicodeWord(value);
        if (unit >= 0xF020 && unit <= 0xF0FF && SymbolFontGives(unit & 0xFF, what_[0], matchCase_))
            return true; // a symbol font's private-use code reads as its symbol
        return Fold(unit, matchCase_) == what_[0];
    }
    case 'a':
        // A code page that is not multi-byte stays so once supported (1252 or itself): the
        // table search of SupportedCodePage is left for the rare multi-byte one.
        return WordAt(p, end, "ansicpg", value) && rtf::IsMultiByteCodePage(value) &&
               rtf::IsMultiByteCodePage(rtf::SupportedCodePage(value));
    case 'c':
        return WordAt(p, end, "cpg", value) && value > 0 && rtf::IsMultiByteCodePage(value) &&
               rtf::IsMultiByteCodePage(rtf::SupportedCodePage(value));
    case 'f':
        return WordAt(p, end, "fcharset", value) &&
               rtf::IsMultiByteCodePage(rtf::CodePageOfCharset(std::clamp(value, 0, 255)));
    default:
        return false;
    }
}

namespace {

// The positions where MayContain must look closer: every position where ScanFrom's byte test
// or EscapeAt can answer yes is among them (each condition below is implied by one of
// theirs), so skipping the others changes nothing. A few more are harmless: At decides.
//   - the first unit's bytes;
//   - "\\'" and a hex digit 0-7 (\'hh below 0x80; the bytes from 0x80 give no ASCII letter);
//   - "\\u" and a digit or '-';
//   - "\\an", "\\cp", "\\fc" (\ansicpg, \cpg, \fcharset).
#if defined(__x86_64__)
// Sixteen positions at a time; SSE2 is part of every x86-64 processor.
inline unsigned Candidates16(const unsigned char* p, __m128i first0, __m128i first1)
{
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    auto eq = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    const __m128i octal = eq(_mm_and_si128(v2, _mm_set1_epi8(static_cast<char>(0xF8))), '0');
    const __m128i fromZero = _mm_sub_epi8(v2, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(fromZero, _mm_set1_epi8(9)), fromZero);
    const __m128i escape =
        _mm_or_si128(_mm_or_si128(_mm_and_si128(eq(v1, '\''), octal),
                                  _mm_and_si128(eq(v1, 'u'), _mm_or_si128(digit, eq(v2, '-')))),
                     _mm_or_si128(_mm_or_si128(_mm_and_si128(eq(v1, 'a'), eq(v2, 'n')),
                                               _mm_and_si128(eq(v1, 'c'), eq(v2, 'p'))),
                                  _mm_and_si128(eq(v1, 'f'), eq(v2, 'c'))));
    const __m128i hits = _mm_or_si128(_mm_and_si128(eq(v0, '\\'), escape),
                                      _mm_or_si128(_mm_cmpeq_epi8(v0, first0), _mm_cmpeq_epi8(v0, first1)));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

__attribute__((target("avx2"))) inline __m256i eq(__m256i v, char c)
{
    return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
}

// The same, thirty-two at a time, where the processor has AVX2.
// The bytes the vector scans compare with, each repeated across a vector.
struct ScanBytes256
{
    __m256i first0, first1, second0, second1, anySecond, digit0, digit1;
};
struct ScanBytes512
{
    __m512i first0, first1, second0, second1, digit0, digit1;
    std::uint64_t anySecond; // all ones for a one-unit string
};

// The same, thirty-two at a time, where the processor has AVX2, with two more tests that
// leave out most positions the byte loop would look at closer and reject:
//   - a first-unit byte counts only when the next byte gives the second unit or ends the
//     plain-text run (LiteralAt's first step);
//   - \uN counts only when N starts with the first digit of a first-unit byte's value, or 0
//     (a negative N names a unit from 0x8000, never an ASCII letter or digit).
__attribute__((target("avx2"))) inline unsigned Candidates32(const unsigned char* p, const ScanBytes256& k)
{
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
    const __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2));
    const __m256i octal = eq(_mm256_and_si256(v2, _mm256_set1_epi8(static_cast<char>(0xF8))), '0');
    const __m256i unicode = _mm256_and_si256(
        eq(v1, 'u'),
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v2, k.digit0), _mm256_cmpeq_epi8(v2, k.digit1)),
                        eq(v2, '0')));
    // \an, \cp, \fc: 'a', 'c', 'f' share their high nibble; a table on the low nibble gives the
    // byte that must follow each (0xFF, never an RTF byte after a letter, for the others).
    const __m256i follower = _mm256_shuffle_epi8(
        _mm256_setr_epi8(-1, 'n', -1, 'p', -1, -1, 'c', -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 'n', -1, 'p',
                         -1, -1, 'c', -1, -1, -1, -1, -1, -1, -1, -1, -1),
        _mm256_and_si256(v1, _mm256_set1_epi8(0x0F)));
    const __m256i codePage =
        _mm256_and_si256(eq(_mm256_and_si256(v1, _mm256_set1_epi8(static_cast<char>(0xF0))), 0x60),
                         _mm256_cmpeq_epi8(follower, v2));
    const __m256i escape = _mm256_and_si256(
        eq(v0, '\\'),
        _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(eq(v1, '\''), octal), unicode), codePage));
    // Plain text is 0x20-0x7E but for '\\', '{' and '}'.
    const __m256i fromSpace = _mm256_sub_epi8(v1, _mm256_set1_epi8(0x20));
    const __m256i printable =
        _mm256_cmpeq_epi8(_mm256_min_epu8(fromSpace, _mm256_set1_epi8(0x5E)), fromSpace);
    const __m256i runEnds =
        _mm256_or_si256(_mm256_andnot_si256(printable, _mm256_set1_epi8(-1)),
                        _mm256_or_si256(eq(v1, '\\'), _mm256_or_si256(eq(v1, '{'), eq(v1, '}'))));
    const __m256i follows =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v1, k.second0), _mm256_cmpeq_epi8(v1, k.second1)),
                        _mm256_or_si256(runEnds, k.anySecond));
    const __m256i literal = _mm256_and_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(v0, k.first0), _mm256_cmpeq_epi8(v0, k.first1)), follows);
    return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(escape, literal)));
}

// The byte that must follow 'a', 'c', 'f' (by low nibble) in \\an, \\cp, \\fc, in each 16-byte lane.
constexpr std::array<char, 64> kFollowers = [] {
    std::array<char, 64> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = i % 16 == 1 ? 'n' : i % 16 == 3 ? 'p' : i % 16 == 6 ? 'c' : static_cast<char>(-1);
    return t;
}();

// Sixty-four at a time, where the processor has AVX-512BW: the tests give bit masks directly.
// Sixty-four at a time, where the processor has AVX-512BW: the tests give bit masks directly.
__attribute__((target("avx512bw"))) inline std::uint64_t Candidates64(const unsigned char* p,
                                                                      const ScanBytes512& k)
{
    const __m512i v0 = _mm512_loadu_si512(p);
    const __m512i v1 = _mm512_loadu_si512(p + 1);
    const __m512i v2 = _mm512_loadu_si512(p + 2);
    const auto eq = [](__m512i v, char c) __attribute__((target("avx512bw")))
    {
        return _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(c));
    };
    const std::uint64_t octal = _mm512_cmpeq_epi8_mask(
        _mm512_and_si512(v2, _mm512_set1_epi8(static_cast<char>(0xF8))), _mm512_set1_epi8('0'));
    const std::uint64_t unicode = eq(v1, 'u') & (_mm512_cmpeq_epi8_mask(v2, k.digit0) |
                                                 _mm512_cmpeq_epi8_mask(v2, k.digit1) | eq(v2, '0'));
    const __m512i follower = _mm512_shuffle_epi8(_mm512_loadu_si512(kFollowers.data()),
                                                 _mm512_and_si512(v1, _mm512_set1_epi8(0x0F)));
    const std::uint64_t codePage =
        _mm512_cmpeq_epi8_mask(_mm512_and_si512(v1, _mm512_set1_epi8(static_cast<char>(0xF0))),
                               _mm512_set1_epi8(0x60)) &
        _mm512_cmpeq_epi8_mask(follower, v2);
    const std::uint64_t escape = eq(v0, '\\') & ((eq(v1, '\'') & octal) | unicode | codePage);
    const std::uint64_t runEnds =
        _mm512_cmpge_epu8_mask(_mm512_sub_epi8(v1, _mm512_set1_epi8(0x20)), _mm512_set1_epi8(0x5F)) |
        eq(v1, '\\') | eq(v1, '{') | eq(v1, '}');
    const std::uint64_t follows =
        _mm512_cmpeq_epi8_mask(v1, k.second0) | _mm512_cmpeq_epi8_mask(v1, k.second1) | runEnds | k.anySecond;
    const std::uint64_t literal =
        (_mm512_cmpeq_epi8_mask(v0, k.first0) | _mm512_cmpeq_epi8_mask(v0, k.first1)) & follows;
    return escape | literal;
}

// Sixty-four at a time through byte-table lookups, where the processor has AVX-512 VBMI: each
// of the three bytes at a position gives the set of candidate forms it allows (a 128-entry
// table, indexed by the byte's low seven bits), and a position is a candidate when the three
// sets meet. A byte from 0x80 looks up its low seven bits, which may only add positions,
// except as the second byte of a literal, where it ends the plain-text run: it is set apart.
__attribute__((target("avx512bw,avx512vbmi"))) inline std::uint64_t
CandidatesLookup64(const unsigned char* p, const __m512i (&tables)[6])
{
    const __m512i v0 = _mm512_loadu_si512(p);
    const __m512i v1 = _mm512_loadu_si512(p + 1);
    const __m512i v2 = _mm512_loadu_si512(p + 2);
    const __m512i c0 = _mm512_permutex2var_epi8(tables[0], v0, tables[1]);
    const __m512i c1 =
        _mm512_mask_blend_epi8(_mm512_movepi8_mask(v1), _mm512_permutex2var_epi8(tables[2], v1, tables[3]),
                               _mm512_set1_epi8(kLiteralForm));
    const __m512i c2 = _mm512_permutex2var_epi8(tables[4], v2, tables[5]);
    const __m512i common = _mm512_ternarylogic_epi32(c0, c1, c2, 0x80); // c0 & c1 & c2
    return _mm512_test_epi8_mask(common, common);
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

bool RtfPrefilter::LookupAt(const unsigned char* p, const unsigned char* begin,
                            const unsigned char* end) const
{
    if (*p == '\\')
        return EscapeAt(p, end);
    if (firstByte_[*p] && LiteralAt(p, end))
        return true;
    // The last letter of a code page word: its backslash lies behind, within the text.
    const auto endsWord = [&](std::string_view word) {
        return static_cast<std::size_t>(p - begin) >= word.size() - 1 &&
               std::memcmp(p - (word.size() - 1), word.data(), word.size()) == 0;
    };
    if (*p == 'g')
        return (endsWord("\\ansicpg") && EscapeAt(p - 7, end)) || (endsWord("\\cpg") && EscapeAt(p - 3, end));
    if (*p == 't')
        return endsWord("\\fcharset") && EscapeAt(p - 8, end);
    return false;
}

bool RtfPrefilter::ScanFrom(const unsigned char* p, const unsigned char* end) const
{
    for (; p < end; ++p) {
        if (startByte_[*p] && At(p, end))
            return true;
    }
    return false;
}

RtfPrefilter::Width RtfPrefilter::WidestWidth()
{
#if defined(__x86_64__)
    static const Width width = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw")
                                   ? Width::k64Lookup
                               : __builtin_cpu_supports("avx512bw") ? Width::k64
                               : __builtin_cpu_supports("avx2")     ? Width::k32
                                                                    : Width::k16;
    return width;
#else
    return Width::k16;
#endif
}

bool RtfPrefilter::MayContain(std::string_view rtf) const
{
    return MayContain(rtf, WidestWidth());
}

bool RtfPrefilter::MayContain(std::string_view rtf, Width width) const
{
    width = std::min(width, WidestWidth());
    if (width == Width::k64Lookup && !lookupUsable_)
        width = Width::k64;
    if (symbolFontReach_)
        width = Width::k16;
    if (!active_)
        return !what_.empty();
    if (!IsRtf(rtf))
        return true;
    const auto* p = reinterpret_cast<const unsigned char*>(rtf.data());
    const unsigned char* end = p + rtf.size();
#if defined(__x86_64__)
    // Each step reads two bytes past the positions it tests: it stops that far from the end.
    if (width == Width::k64Lookup) {
        if (ScanVbmi(p, end))
            return true;
    } else if (width == Width::k64) {
        if (ScanAvx512(p, end))
            return true;
    } else if (width == Width::k32) {
        if (ScanAvx2(p, end))
            return true;
    } else {
        const __m128i first0 = _mm_set1_epi8(static_cast<char>(variants_[0]));
        const __m128i first1 = _mm_set1_epi8(static_cast<char>(variants_[1]));
        for (; end - p >= 18; p += 16) {
            for (unsigned mask = Candidates16(p, first0, first1); mask != 0; mask &= mask - 1) {
                if (At(p + __builtin_ctz(mask), end))
                    return true;
            }
        }
    }
#endif
    return ScanFrom(p, end);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) bool RtfPrefilter::ScanAvx2(const unsigned char*& p,
                                                            const unsigned char* end) const
{
    const auto b = [](unsigned char byte) { return static_cast<char>(byte); };
    const ScanBytes256 k{_mm256_set1_epi8(b(variants_[0])),       _mm256_set1_epi8(b(variants_[1])),
                         _mm256_set1_epi8(b(secondVariants_[0])), _mm256_set1_epi8(b(secondVariants_[1])),
                         _mm256_set1_epi8(anySecond_ ? -1 : 0),   _mm256_set1_epi8(b(unicodeDigits_[0])),
                         _mm256_set1_epi8(b(unicodeDigits_[1]))};
    // The inner loop calls nothing, so that the constants stay in registers across it.
    while (end - p >= 34) {
        unsigned mask = 0;
        while (end - p >= 34 && (mask = Candidates32(p, k)) == 0)
            p += 32;
        for (; mask != 0; mask &= mask - 1) {
            if (At(p + __builtin_ctz(mask), end))
                return true;
        }
        if (end - p >= 34)
            p += 32;
    }
    return false;
}

__attribute__((target("avx512bw"))) bool RtfPrefilter::ScanAvx512(const unsigned char*& p,
                                                                  const unsigned char* end) const
{
    const auto b = [](unsigned char byte) { return static_cast<char>(byte); };
    const ScanBytes512 k{_mm512_set1_epi8(b(variants_[0])),       _mm512_set1_epi8(b(variants_[1])),
                         _mm512_set1_epi8(b(secondVariants_[0])), _mm512_set1_epi8(b(secondVariants_[1])),
                         _mm512_set1_epi8(b(unicodeDigits_[0])),  _mm512_set1_epi8(b(unicodeDigits_[1])),
                         anySecond_ ? ~std::uint64_t{0} : 0};
    while (end - p >= 66) {
        std::uint64_t mask = 0;
        while (end - p >= 66 && (mask = Candidates64(p, k)) == 0)
            p += 64;
        for (; mask != 0; mask &= mask - 1) {
            if (At(p + __builtin_ctzll(mask), end))
                return true;
        }
        if (end - p >= 66)
            p += 64;
    }
    return false;
}

__attribute__((target("avx512bw,avx512vbmi"))) bool RtfPrefilter::ScanVbmi(const unsigned char*& p,
                                                                           const unsigned char* end) const
{
    __m512i tables[6];
    const std::array<unsigned char, 128>* const sources[] = {&classes_.at0, &classes_.at1, &classes_.at2};
    for (std::size_t i = 0; i < 6; ++i)
        tables[i] = _mm512_load_si512(sources[i / 2]->data() + 64 * (i % 2));
    if (end - p < 66)
        return false;
    const unsigned char* const begin = p;
    while (end - p >= 66) {
        std::uint64_t mask = 0;
        while (end - p >= 66 && (mask = CandidatesLookup64(p, tables)) == 0)
            p += 64;
        for (; mask != 0; mask &= mask - 1) {
            if (LookupAt(p + __builtin_ctzll(mask), begin, end))
                return true;
        }
        if (end - p >= 66)
            p += 64;
    }
    // The rest but its last two positions in one more step, ending at the text's end: it
    // goes back over positions already tested, which it leaves out.
    const unsigned char* last = end - 66;
    const auto done = static_cast<unsigned>(p - last);
    if (done < 64) {
        for (std::uint64_t mask = CandidatesLookup64(last, tables) >> done << done; mask != 0;
             mask &= mask - 1) {
            if (LookupAt(last + __builtin_ctzll(mask), begin, end))
                return true;
        }
    }
    p = std::max(p, end - 2);
    return false;
}
#endif

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
