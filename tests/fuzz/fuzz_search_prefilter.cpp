// The search's raw-RTF pre-filter against the reader: for any RTF and any string, the filter
// may only reject a text that does not hold the string. First byte: string length (mod 8)
// and match-case bit; then the string (Windows-1252); the rest is the RTF.

#include "core/richtext/plain_text.h"
#include "core/richtext/text_find.h"
#include "core/search/rtf_prefilter.h"
#include "core/store/cp1252.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t length = 1 + (data[0] & 7);
    const bool matchCase = data[0] & 8;
    if (size < 1 + length)
        return 0;
    const std::u16string what =
        mirelda::DecodeCp1252(std::string_view(reinterpret_cast<const char*>(data + 1), length));
    const std::string_view rtf(reinterpret_cast<const char*>(data + 1 + length), size - 1 - length);
    const mirelda::RtfPrefilter filter(what, matchCase);
    const bool may = filter.MayContain(rtf);
    if (may != filter.MayContainByteByByte(rtf))
        std::abort();
    if (!may && mirelda::FindText(mirelda::ExtractPlainText(rtf), what, 0, matchCase, false) >= 0)
        std::abort();
    return 0;
}
