// First 8 bytes: linkOffset and linkCount; the rest: the .PGL.
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::filesystem::path InputFile(const std::uint8_t* data, std::size_t size)
{
    // A memory-backed folder when there is one: a disk write per input is a hundred times slower.
    static const std::filesystem::path path =
        (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path()) /
        ("fuzz-pgl-" + std::to_string(::getpid()) + ".PGL");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    mirelda::ArticleEntry entry;
    entry.number = 1;
    entry.linkOffset = U32(data);
    entry.linkCount = U32(data + 4);
    auto links = mirelda::ReadLinks(InputFile(data + 8, size - 8), entry);
    if (!links)
        return 0;
    if (links->records().size() != entry.linkCount)
        std::abort();
    for (const auto& r : links->records()) {
        const mirelda::LinkRecord* hit = links->LinkAt(r.first);
        if (r.first <= r.last && (!hit || hit->first > r.first || hit->last < r.first))
            std::abort();
    }
    return 0;
}
