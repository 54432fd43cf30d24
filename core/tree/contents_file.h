#pragma once
// The contents-tree file (.FIC) and its loader.
//
//   .FIC  sequence of 116-byte records, no header:
//           0  char[12] key       NUL-ended, names the entry for later records
//          12  char[80] title     NUL-ended; empty = end record, nothing after it is read
//          92  char[12] linkKey   "0" = top level, else the key of an earlier record
//         104  i32      article   0 = a book (opens nothing)
//         108  i32      reserved
//         112  i32      linkKind  2 = linkKey names a sibling, else it names the parent
//
// Little-endian, texts in Windows-1252. A field with no NUL is taken at its full width.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirelda {

struct ContentsRecord
{
    static constexpr std::size_t kSize = 116;
    static constexpr std::size_t kKeyWidth = 12;
    static constexpr std::size_t kTitleWidth = 80;

    std::string key;     // Windows-1252
    std::string title;   // Windows-1252
    std::string linkKey; // Windows-1252
    std::int32_t article = 0;
    std::int32_t reserved = 0;
    std::int32_t linkKind = 0;
    friend bool operator==(const ContentsRecord&, const ContentsRecord&) = default;
};

struct ContentsFile
{
    std::vector<ContentsRecord> records; // up to the end record, which is not included
    bool endRecordSeen = false;
    std::vector<FileProblem> problems; // missing end record, short last record
};

// Reads the records in file order up to the end record. A file that ends without one, or
// with a short last record, keeps the records read so far and reports it in `problems`.
// Fails only when the file cannot be opened or read.
Result<ContentsFile> ReadContentsRecords(const std::filesystem::path& ficPath);
// The same on the file's bytes in memory; `name` stands for the path in messages.
Result<ContentsFile> ParseContentsRecords(std::string_view ficBytes, const std::string& name);

// Writes the records followed by an end record. A text longer than its field is refused
// (CannotWrite); one of exactly the field's width is written without NUL.
Status WriteContentsFile(const std::filesystem::path& ficPath, const std::vector<ContentsRecord>& records);

// What the loader needs of a tree: the tree bar's control, or MemoryContentsTree.
class ContentsTree
{
  public:
    using Item = std::uintptr_t;
    static constexpr Item kNone = 0;

    virtual ~ContentsTree() = default;
    // Appends an item as the last child of `parent` (kNone: the last top-level item).
    virtual Item InsertLast(Item parent, std::string_view titleCp1252, int image) = 0;
    virtual Item ParentOf(Item) const = 0; // kNone for a top-level item
    virtual int ImageOf(Item) const = 0;
};

struct TreeLoadReport
{
    std::size_t entries = 0;
    bool endRecordSeen = false;
    bool stopped = false;              // the stop flag ended the read; the entries read are all placed
    std::vector<FileProblem> problems; // file damage, and link keys that name nothing
};

// Image indices of the tree's image list: five closed books, the same open, pages.
constexpr int kBookImageCount = 5;
constexpr int kOpenBookOffset = 5;
constexpr int kPageImage = 10;

// Deepest level an entry is shown at (0 = top level). Windows that draw and lay out a tree
// walk it recursively; a file nesting thousands of levels would exhaust their stack.
constexpr std::size_t kMaxContentsDepth = 255;

// Reads the .FIC into `tree` (appending; nothing is cleared) and enters every new item,
// books included (with 0), through `enterArticle`. One pass, one record at a time. A link
// key that names no earlier record puts the entry at the top level; an entry that would lie
// deeper than kMaxContentsDepth becomes the last child of its parent's parent, so at that
// depth; both are reported. A non-null `stop` is looked at before every record: once it is
// set the read ends there, `stopped` is reported, and the entries already placed stay valid.
using ItemArticleSink = std::function<void(ContentsTree::Item, std::int32_t article)>;
Result<TreeLoadReport> LoadTree(const std::filesystem::path& ficPath, ContentsTree& tree,
                                const ItemArticleSink& enterArticle, const std::atomic<bool>* stop = nullptr);
// The same from records already read; `name` stands for the file in messages.
TreeLoadReport LoadTree(ContentsFile contents, const std::string& name, ContentsTree& tree,
                        const ItemArticleSink& enterArticle);

// The same, entering the articles in a table.
inline Result<TreeLoadReport> LoadTree(const std::filesystem::path& ficPath, ContentsTree& tree,
                                       std::unordered_map<ContentsTree::Item, std::int32_t>& itemArticles)
{
    return LoadTree(ficPath, tree, [&itemArticles](ContentsTree::Item item, std::int32_t article) {
        itemArticles[item] = article;
    });
}
inline TreeLoadReport LoadTree(ContentsFile contents, const std::string& name, ContentsTree& tree,
                               std::unordered_map<ContentsTree::Item, std::int32_t>& itemArticles)
{
    return LoadTree(
        std::move(contents), name, tree,
        [&itemArticles](ContentsTree::Item item, std::int32_t article) { itemArticles[item] = article; });
}

// A plain in-memory tree: for tests and for mirelda-tool. Items are numbered from 1 in
// insertion order.
class MemoryContentsTree : public ContentsTree
{
  public:
    struct Node
    {
        std::string title; // Windows-1252
        int image = 0;
        Item parent = kNone;
        std::vector<Item> children; // in insertion order
    };

    Item InsertLast(Item parent, std::string_view titleCp1252, int image) override;
    Item ParentOf(Item item) const override;
    int ImageOf(Item item) const override;

    std::size_t size() const { return nodes_.size(); }
    bool contains(Item item) const { return item != kNone && item <= nodes_.size(); }
    const Node& node(Item item) const { return nodes_.at(item - 1); } // item must exist
    const std::vector<Item>& topLevel() const { return topLevel_; }

    // Calls visit(Item, std::size_t depth) in display order (each item before its children,
    // siblings in order, top level at depth 0). Iterative: any depth is safe.
    template <class Visit> void ForEachInDisplayOrder(Visit&& visit) const
    {
        struct Frame
        {
            const std::vector<Item>* items;
            std::size_t next;
        };
        std::vector<Frame> stack{{&topLevel_, 0}};
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next == top.items->size()) {
                stack.pop_back();
                continue;
            }
            const Item item = (*top.items)[top.next++];
            visit(item, stack.size() - 1);
            const Node& n = node(item);
            if (!n.children.empty())
                stack.push_back({&n.children, 0});
        }
    }

  private:
    std::vector<Node> nodes_;
    std::vector<Item> topLevel_;
};

} // namespace mirelda
