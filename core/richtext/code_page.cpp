#include "core/richtext/code_page.h"

#include "core/richtext/symbol_font.h"

#include <unicode/ucnv.h>

#include <algorithm>

namespace mirelda::rtf {
namespace {

constexpr ByteTable MakeCp1252()
{
    ByteTable t{};
    for (int b = 0; b < 256; ++b)
        t[b] = static_cast<char16_t>(b);
    // clang-format off
    constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    // clang-format on
    for (int b = 0; b < 32; ++b)
        t[0x80 + b] = high[b];
    return t;
}

struct Known
{
    int codePage;
    const char* icuName;
};

// Windows code pages that RTF writers name, with the ICU converter that decodes each.
// clang-format off
constexpr Known kKnown[] = {
    {437, "ibm-437"},          {708, "ISO-8859-6"},       {720, "ibm-720"},
    {737, "ibm-737"},          {775, "ibm-775"},          {850, "ibm-850"},
    {852, "ibm-852"},          {855, "ibm-855"},          {857, "ibm-857"},
    {860, "ibm-860"},          {861, "ibm-861"},          {862, "ibm-862"},
    {863, "ibm-863"},          {864, "ibm-864"},          {865, "ibm-865"},
    {866, "ibm-866"},          {869, "ibm-869"},          {874, "windows-874"},
    {932, "windows-31j"},      {936, "windows-936"},      {949, "windows-949"},
    {950, "windows-950"},      {1250, "windows-1250"},    {1251, "windows-1251"},
    {1252, "windows-1252"},    {1253, "windows-1253"},    {1254, "windows-1254"},
    {1255, "windows-1255"},    {1256, "windows-1256"},    {1257, "windows-1257"},
    {1258, "windows-1258"},    {10000, "macintosh"},
    {10006, "x-mac-greek"},    {10007, "x-mac-cyrillic"}, {10029, "x-mac-centraleurroman"},
    {10081, "x-mac-turkish"},
};
// clang-format on

const Known* FindKnown(int codePage)
{
    for (const Known& k : kKnown) {
        if (k.codePage == codePage)
            return &k;
    }
    return nullptr;
}

} // namespace

const ByteTable kCp1252 = MakeCp1252();

int SupportedCodePage(int codePage)
{
    return FindKnown(codePage) ? codePage : 1252;
}

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252; // ANSI
    case 2:
        return 1252; // Symbol: keep the byte values readable
    case 77:
        return 10000; // Mac Roman
    case 128:
        return 932; // Shift-JIS
    case 129:
        return 949; // Hangul
    case 134:
        return 936; // GB2312
    case 136:
        return 950; // Big5
    case 161:
        return 1253; // Greek
    case 162:
        return 1254; // Turkish
    case 163:
        return 1258; // Vietnamese
    case 177:
        return 1255; // Hebrew
    case 178:
        return 1256; // Arabic
    case 186:
        return 1257; // Baltic
    case 204:
        return 1251; // Cyrillic
    case 222:
        return 874; // Thai
    case 238:
        return 1250; // Eastern European
    case 254:
        return 437; // PC 437
    case 255:
        return 850; // OEM
    default:
        return 0; // 1 (default) and anything unknown: the document's
    }
}

bool IsMultiByteCodePage(int codePage)
{
    return std::find(kMultiByteCodePages.begin(), kMultiByteCodePages.end(), codePage) !=
           kMultiByteCodePages.end();
}

std::vector<int> SingleByteCodePages()
{
    std::vector<int> pages;
    for (const Known& k : kKnown) {
        if (!IsMultiByteCodePage(k.codePage))
            pages.push_back(k.codePage);
    }
    pages.push_back(kSymbolFontCodePage);
    pages.push_back(kWingdingsFontCodePage);
    return pages;
}

int FontCodePage(std::u16string_view name, int charset, int cpg, int documentCodePage)
{
    switch (SymbolFontOf(name)) {
    case SymbolFont::Symbol:
        return kSymbolFontCodePage;
    case SymbolFont::Wingdings:
        return kWingdingsFontCodePage;
    case SymbolFont::None:
        break;
    }
    if (cpg > 0)
        return SupportedCodePage(cpg);
    const int fromCharset = CodePageOfCharset(charset);
    return fromCharset != 0 ? fromCharset : documentCodePage;
}

CodePageCache::~CodePageCache()
{
    for (auto& [cp, conv] : converters_) {
        if (conv)
            ucnv_close(conv);
    }
}

UConverter* CodePageCache::Converter(int codePage)
{
    for (auto& [cp, conv] : converters_) {
        if (cp == codePage)
            return conv;
    }
    UConverter* conv = nullptr;
    if (const Known* k = FindKnown(codePage)) {
        UErrorCode status = U_ZERO_ERROR;
        conv = ucnv_open(k->icuName, &status);
        if (U_FAILURE(status))
            conv = nullptr;
    }
    converters_.emplace_back(codePage, conv);
    return conv;
}

const ByteTable& CodePageCache::SingleByte(int codePage)
{
    if (codePage == 1252)
        return kCp1252;
    for (auto& [cp, table] : tables_) {
        if (cp == codePage)
            return *table;
    }
    auto table = std::make_unique<ByteTable>(kCp1252);
    if (IsSymbolFontCodePage(codePage)) {
        const SymbolFont font = codePage == kSymbolFontCodePage ? SymbolFont::Symbol : SymbolFont::Wingdings;
        for (int b = 0; b < 0x100; ++b)
            (*table)[b] = SymbolFontUnit(font, static_cast<unsigned char>(b));
    } else if (UConverter* conv = Converter(codePage)) {
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = static_cast<char>(b);
            UChar out[4];
            UErrorCode status = U_ZERO_ERROR;
            ucnv_reset(conv);
            const int32_t n = ucnv_toUChars(conv, out, 4, &byte, 1, &status);
            // Undefined bytes come back as a substitute (U+FFFD or a control character).
            (*table)[b] = (U_SUCCESS(status) && n == 1 && out[0] >= 0x20) ? out[0] : u'\uFFFD';
        }
    }
    tables_.emplace_back(codePage, std::move(table));
    return *tables_.back().second;
}

void CodePageCache::DecodeMultiByte(int codePage, std::string_view bytes, std::u16string& out)
{
    UConverter* conv = Converter(codePage);
    if (!conv) {
        for (char c : bytes)
            out.push_back(kCp1252[static_cast<unsigned char>(c)]);
        return;
    }
    ucnv_reset(conv);
    const std::size_t base = out.size();
    out.resize(base + bytes.size());
    UChar* target = reinterpret_cast<UChar*>(out.data() + base);
    UChar* const targetEnd = target + bytes.size();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(conv, &target, targetEnd, &source, bytes.data() + bytes.size(), nullptr, true, &status);
    // A double-byte code page never yields more units than bytes; should a converter still
    // overflow, what did not fit is dropped rather than written past the buffer.
    out.resize(static_cast<std::size_t>(target - reinterpret_cast<UChar*>(out.data())));
    // Some converters substitute U+001A for an undecodable sequence; say so visibly instead.
    for (std::size_t i = base; i < out.size(); ++i) {
        if (out[i] == u'\x1A')
            out[i] = u'\uFFFD';
    }
}

} // namespace mirelda::rtf
