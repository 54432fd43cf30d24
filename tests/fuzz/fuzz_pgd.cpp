// First 4 bytes: the record's offset; the rest: the .PGD. Whatever the lengths say, the
// strings read never exceed the file.
#include "core/store/binary_file.h"
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const mirelda::ArticleEntry entry{1, mirelda::LoadU32(data), 0, 0};
    auto article =
        mirelda::ParseArticle({reinterpret_cast<const char*>(data) + 4, size - 4}, "fuzz.PGD", entry);
    if (article && article->title.size() + article->text.size() + 8 > size - 4)
        std::abort();
    return 0;
}
