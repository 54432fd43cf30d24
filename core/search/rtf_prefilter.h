#pragma once
// A test on an article's raw RTF bytes that proves, without reading the RTF, that its text
// cannot hold a searched string. It never rejects an article whose text holds it, so the
// search may skip reading the RTF of every article it rejects.
//
// Why it is exact. Let the string start with an ASCII letter or digit c (after case folding),
// and look at how the RTF reader can produce the unit c in the text:
//   - a literal byte of c (or its other case) in a run of plain ASCII text, where the reader
//     turns each byte into one unit; the next byte then either ends the run (it is '\\', '{',
//     '}', a control byte or a byte >= 0x80) or becomes the next unit, so it must be the
//     next character of the string; CR, LF, braces and the words that only set the format
//     give no unit and are passed over; a run that ends at \'hh, \uN or a byte >= 0x80 goes
//     on with that one unit (or none, for a control character), so it must stand for the
//     next character: \uN's unit, or the byte's character in one of the single-byte code
//     pages or symbol fonts;
//   - \'hh, when the byte hh decodes to c: in every single-byte code page the reader knows,
//     bytes below 0x80 are ASCII and bytes from 0x80 decode to no ASCII letter or digit;
//   - in Symbol or Wingdings text, a byte (literal, \'hh or \uN's private-use U+F0hh) reads
//     as the symbol the font draws, which is c only for the byte of c itself (Symbol's
//     digits); literal bytes after the first are matched allowing for these symbols too;
//   - \uN with N naming c (as a signed or unsigned 16-bit value);
//   - nothing else: the reader's other characters (\tab, \bullet, \~, quotes...) are no
//     letters or digits.
// So if none of these appears, nothing can match. Multi-byte code pages (which may combine a
// byte >= 0x80 with an ASCII byte), non-RTF input (read as plain text), and a first character
// that a non-ASCII character folds to (dotless i, long s) are not judged: MayContain is true.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mirelda {

class RtfPrefilter
{
  public:
    // `what` is the searched string as the text test sees it (UTF-16).
    RtfPrefilter(std::u16string_view what, bool matchCase);

    // False only when the text of `rtf` certainly does not hold the string.
    bool MayContain(std::string_view rtf) const;

    // The vector scans (SSE2, AVX2, AVX-512BW, and AVX-512 VBMI, which classifies each byte
    // through one table lookup instead of a dozen comparisons); MayContain takes the last one
    // the processor has.
    enum class Width : std::uint8_t { k16, k32, k64, k64Lookup };
    static Width WidestWidth();
    // MayContain with vectors of at most that width (each width gives the same answer).
    bool MayContain(std::string_view rtf, Width width) const;

    // The same answer from a plain byte loop (the reference for the vector scan).
    bool MayContainByteByByte(std::string_view rtf) const;

    // Whether the filter can reject anything for this string.
    bool active() const { return active_; }

  private:
    bool ScanFrom(const unsigned char* p, const unsigned char* end) const;
    // The vector scans where the processor has AVX2 or AVX-512BW: true when a candidate holds; otherwise
    // `p` is left where the byte loop must go on.
    bool ScanAvx2(const unsigned char*& p, const unsigned char* end) const;
    bool ScanAvx512(const unsigned char*& p, const unsigned char* end) const;
    bool ScanVbmi(const unsigned char*& p, const unsigned char* end) const;
    bool At(const unsigned char* p, const unsigned char* end) const;
    // At for the VBMI scan's candidates, which include the last letter of code page words.
    bool LookupAt(const unsigned char* p, const unsigned char* begin, const unsigned char* end) const;
    bool LiteralAt(const unsigned char* p, const unsigned char* end) const;
    bool EscapeAt(const unsigned char* p, const unsigned char* end) const;
    bool EscapeMayGive(const unsigned char* p, const unsigned char* end, char16_t unit) const;
    bool ByteMayGive(unsigned char byte, char16_t unit) const;

    bool active_ = false;
    std::u16string what_; // folded to upper case unless matchCase
    bool matchCase_ = false;
    std::array<bool, 256> firstByte_{};       // literal bytes that give the first unit
    std::array<bool, 256> startByte_{};       // firstByte_ plus '\\'
    std::array<unsigned char, 2> variants_{}; // the bytes of firstByte_ (one twice if alone)
    // What Symbol and Wingdings draw for each ASCII byte, folded: for the bytes after the first.
    std::array<std::array<char16_t, 2>, 128> symbolFontUnits_{};
    // For the vector scans: the plain-text bytes that give the second unit (0 when none does:
    // 0 never continues a run), whether any byte may follow (a one-unit string), and the
    // first digit N can start with in a \uN that gives the first unit (a leading 0 aside).
    std::array<unsigned char, 2> secondVariants_{};
    bool anySecond_ = false;
    std::array<unsigned char, 2> unicodeDigits_{};
    // Symbol or Wingdings text can give the first unit through a \uN of their private-use
    // codes, or the second through another byte: the two narrowings above do not hold then,
    // and the sixteen-byte scan, which has neither, serves.
    bool symbolFontReach_ = false;
    // For the VBMI scan: what each ASCII byte allows at a candidate's first, second and third
    // byte, one bit per form (ClassBit in the source); a candidate is a position where
    // the three bytes share a bit.
    struct ClassTables
    {
        alignas(64) std::array<unsigned char, 128> at0{};
        alignas(64) std::array<unsigned char, 128> at1{};
        alignas(64) std::array<unsigned char, 128> at2{};
    };
    ClassTables classes_;
    // Whether every multi-byte code page and character set has three digits or more, none
    // reached by clamping: otherwise the code page words are left to the AVX-512BW scan.
    bool lookupUsable_ = true;
};

} // namespace mirelda
