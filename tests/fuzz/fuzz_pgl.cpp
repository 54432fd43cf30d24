// First 8 bytes: linkOffset and linkCount; the rest: the .PGL. Each record is found at its first position.
#include "core/store/binary_file.h"
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    const mirelda::ArticleEntry entry{1, 0, mirelda::LoadU32(data), mirelda::LoadU32(data + 4)};
    auto links = mirelda::ParseLinks({reinterpret_cast<const char*>(data) + 8, size - 8}, "fuzz.PGL", entry);
    if (links && links->records().size() != entry.linkCount)
        std::abort();
    for (const auto& r : links ? links->records() : std::vector<mirelda::LinkRecord>{}) {
        const mirelda::LinkRecord* hit = links->LinkAt(r.first);
        if (r.first <= r.last && (!hit || hit->first > r.first || hit->last < r.first))
            std::abort();
    }
    return 0;
}
