#pragma once
// The contents tree as the viewer keeps it: a few flat arrays indexed by item number (items
// are numbered from 1 in insertion order), about thirty bytes and the title per entry, so a
// tree of a million entries costs tens of megabytes and the window makes nothing per entry
// until an entry is shown. The item-to-article table is one of the arrays.

#include "core/tree/contents_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

class FlatContentsTree : public ContentsTree
{
  public:
    Item InsertLast(Item parent, std::string_view titleCp1252, int image) override;
    Item ParentOf(Item item) const override;
    int ImageOf(Item item) const override;

    void SetArticle(Item item, std::int32_t article);
    std::int32_t ArticleOf(Item item) const; // 0 for a book or an unknown item
    void SetImage(Item item, int image);
    std::string_view TitleOf(Item item) const; // Windows-1252

    std::size_t size() const { return parents_.size(); }
    bool contains(Item item) const { return item != kNone && item <= parents_.size(); }

    // Children lists, valid once Finish has run after the last insertion (kNone: the top
    // level). Finish is linear; an insertion after it needs it again.
    void Finish();
    std::size_t ChildCount(Item parent) const;
    Item ChildAt(Item parent, std::size_t row) const; // kNone when out of range
    std::size_t RowOf(Item item) const;               // place among its parent's children

    // The first item (in insertion order) that opens `article`, or kNone.
    Item FindArticle(std::int32_t article) const;

  private:
    std::vector<std::uint32_t> parents_; // item - 1 -> parent item (0: top level)
    std::vector<std::int8_t> images_;
    std::vector<std::int32_t> articles_;
    std::vector<std::size_t> titleEnds_; // item - 1 -> end of its title in titles_
    std::string titles_;
    // After Finish: the children of item p are children_[childStart_[p] .. childStart_[p + 1]).
    std::vector<std::uint32_t> childStart_;
    std::vector<std::uint32_t> children_;
    std::vector<std::uint32_t> rows_;
    bool finished_ = false;
};

} // namespace mirelda
