// The input as a .PGH: every record must be found again under its own number.
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<mirelda::FileProblem> problems;
    auto index =
        mirelda::ParseArticleIndex({reinterpret_cast<const char*>(data), size}, "fuzz.PGH", &problems);
    if (!index || index->size() > size / 16 || (size % 16 != 0) != !problems.empty())
        std::abort(); // bytes in memory are always read: only damage reports, never failure
    index->ForEach([&](const mirelda::ArticleEntry& e) {
        if (index->FindArticle(e.number) != &e)
            std::abort();
    });
    return 0;
}
