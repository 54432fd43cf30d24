// Links put back into any RTF: first byte, the number of links (each then 2 bytes: first and
// length); the rest is the RTF. The fields never change a character of the text.
#include "core/authoring/decompiler.h"
#include "core/richtext/rtf_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t count = size ? std::min<std::size_t>(data[0] % 8, (size - 1) / 2) : 0;
    std::vector<mirelda::authoring::PlacedLink> links;
    for (std::size_t k = 0; k < count; ++k)
        links.push_back({data[1 + 2 * k], data[1 + 2 * k] + data[2 + 2 * k] % 16, "a"});
    const std::size_t skip = size ? 1 + 2 * count : 0;
    const std::string_view rtf(reinterpret_cast<const char*>(data) + skip, size - skip);
    mirelda::authoring::Diagnostics warnings;
    const std::string out = mirelda::authoring::PutBackLinks(rtf, links, "f", "a", warnings);
    if (mirelda::ReadRtf(out).text != mirelda::ReadRtf(rtf).text)
        std::abort();
    return 0;
}
