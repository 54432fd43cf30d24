#pragma once
// Decoding the 8-bit bytes of RTF text (\'hh and raw bytes) with a Windows code page.
// Internal to core/richtext.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct UConverter;

namespace mirelda::rtf {

using ByteTable = std::array<char16_t, 256>;

// Windows-1252, built in: it is the code page of nearly every article, and the hot path.
extern const ByteTable kCp1252;

// The code pages the reader decodes; any other number is read as 1252 so that a hostile
// \cpg or \ansicpg can neither open arbitrary converters nor lose the text.
int SupportedCodePage(int codePage);

// The code page of a font's \fcharset, or 0 for "the document's" (ANSI default, unknown).
int CodePageOfCharset(int charset);

// The multi-byte code pages the reader knows (a byte from 0x80 may combine with the next).
inline constexpr std::array<int, 4> kMultiByteCodePages = {932, 936, 949, 950};
bool IsMultiByteCodePage(int codePage);

// The bytes of Symbol and Wingdings text, read as the symbols the fonts draw: code pages of
// this reader only, which no \cpg or \ansicpg can name.
inline constexpr int kSymbolFontCodePage = -2;
inline constexpr int kWingdingsFontCodePage = -3;

inline bool IsSymbolFontCodePage(int codePage)
{
    return codePage == kSymbolFontCodePage || codePage == kWingdingsFontCodePage;
}

// Every single-byte code page text can be read in: the supported ones that are not
// multi-byte, and the symbol fonts' own.
std::vector<int> SingleByteCodePages();

// The code page a font's bytes are read in: a symbol font's own, else \cpgN (cpg > 0), else
// its \fcharset's, else the document's.
int FontCodePage(std::u16string_view name, int charset, int cpg, int documentCodePage);

// Tables and ICU converters opened during one read, closed with it.
class CodePageCache
{
  public:
    CodePageCache() = default;
    CodePageCache(const CodePageCache&) = delete;
    CodePageCache& operator=(const CodePageCache&) = delete;
    ~CodePageCache();

    // The byte → unit table of a single-byte code page. Bytes the code page leaves undefined
    // become U+FFFD.
    const ByteTable& SingleByte(int codePage);

    // Appends the decoding of `bytes` in a multi-byte code page; an invalid sequence gives
    // U+FFFD. Never appends more units than there are bytes.
    void DecodeMultiByte(int codePage, std::string_view bytes, std::u16string& out);

  private:
    UConverter* Converter(int codePage);

    std::vector<std::pair<int, std::unique_ptr<ByteTable>>> tables_;
    std::vector<std::pair<int, UConverter*>> converters_;
};

} // namespace mirelda::rtf
