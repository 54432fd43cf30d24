// The input as a .FIC, loaded into the in-memory tree: every entry gets an item, an
// article and a valid image, and the display walk sees every item once.
#include "core/tree/contents_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto contents = mirelda::ParseContentsRecords({reinterpret_cast<const char*>(data), size}, "fuzz.FIC");
    if (!contents)
        std::abort(); // bytes in memory are always read: only damage reports, never failure
    mirelda::MemoryContentsTree tree;
    std::unordered_map<mirelda::ContentsTree::Item, std::int32_t> articles;
    const mirelda::TreeLoadReport report =
        mirelda::LoadTree(std::move(*contents), "fuzz.FIC", tree, articles);
    std::size_t seen = 0;
    tree.ForEachInDisplayOrder([&](mirelda::ContentsTree::Item item, std::size_t) {
        const int image = tree.ImageOf(item);
        if (!(image == mirelda::kPageImage || (image >= 0 && image < mirelda::kBookImageCount)))
            std::abort();
        ++seen;
    });
    if (report.entries != tree.size() || articles.size() != tree.size() || seen != tree.size())
        std::abort();
    return 0;
}
