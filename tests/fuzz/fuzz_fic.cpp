// The input as a .FIC, loaded into the in-memory tree: every entry gets an item, an
// article and a valid image, and the display walk sees every item once.
#include "core/tree/contents_file.h"
#include "core/tree/flat_contents_tree.h"

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
        ("fuzz-fic-" + std::to_string(::getpid()) + ".FIC");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    mirelda::MemoryContentsTree tree;
    std::unordered_map<mirelda::ContentsTree::Item, std::int32_t> articles;
    auto report = mirelda::LoadTree(InputFile(data, size), tree, articles);
    if (!report)
        std::abort();
    if (report->entries != tree.size() || articles.size() != tree.size())
        std::abort();
    // The viewer's flat tree holds the same children in the same order.
    mirelda::FlatContentsTree flat;
    if (!mirelda::LoadTree(InputFile(data, size), flat,
                           [&flat](mirelda::ContentsTree::Item item, std::int32_t a) { flat.SetArticle(item, a); }))
        std::abort();
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
