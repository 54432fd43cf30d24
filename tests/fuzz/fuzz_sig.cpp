// .SIG bookmark files: reading must survive any bytes, and what it keeps must write back
// and read again unchanged.
#include "core/lists/bookmarks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    mirelda::LoadedBookmarks loaded = mirelda::ParseBookmarks(bytes, "fuzz.SIG");
    mirelda::LoadedBookmarks again = mirelda::ParseBookmarks(mirelda::SerializeBookmarks(loaded.bookmarks));
    if (again.damage || again.bookmarks != loaded.bookmarks)
        __builtin_trap();
    return 0;
}
