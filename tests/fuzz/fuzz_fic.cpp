// The input as a .FIC, loaded into the in-memory tree and into the viewer's flat tree: every
// entry gets an item, an article and a valid image, the display walk sees every item once, no
// entry lies deeper than the deepest level shown, and both trees hold the same children.
#include "core/tree/contents_file.h"
#include "core/tree/flat_contents_tree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto contents = mirelda::ParseContentsRecords(bytes, "fuzz.FIC");
    if (!contents)
        std::abort(); // bytes in memory are always read: only damage reports, never failure
    mirelda::MemoryContentsTree tree;
    std::unordered_map<mirelda::ContentsTree::Item, std::int32_t> articles;
    const mirelda::TreeLoadReport report = mirelda::LoadTree(*contents, "fuzz.FIC", tree, articles);
    if (report.entries != tree.size() || articles.size() != tree.size())
        std::abort();
    mirelda::FlatContentsTree flat;
    mirelda::LoadTree(
        std::move(*contents), "fuzz.FIC", flat,
        [&flat](mirelda::ContentsTree::Item item, std::int32_t a) { flat.SetArticle(item, a); });
    flat.Finish();
    if (flat.size() != tree.size() || flat.ChildCount(mirelda::ContentsTree::kNone) != tree.topLevel().size())
        std::abort();
    std::size_t seen = 0;
    tree.ForEachInDisplayOrder([&](mirelda::ContentsTree::Item item, std::size_t depth) {
        const int image = tree.ImageOf(item);
        if (!(image == mirelda::kPageImage || (image >= 0 && image < mirelda::kBookImageCount)))
            std::abort();
        if (depth > mirelda::kMaxContentsDepth || flat.ChildCount(item) != tree.node(item).children.size() ||
            flat.ArticleOf(item) != articles.at(item))
            std::abort();
        ++seen;
    });
    if (seen != tree.size())
        std::abort();
    return 0;
}
