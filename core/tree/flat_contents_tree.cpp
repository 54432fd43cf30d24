#include "core/tree/flat_contents_tree.h"

#include <algorithm>
#include <limits>

namespace mirelda {

ContentsTree::Item FlatContentsTree::InsertLast(Item parent, std::string_view titleCp1252, int image)
{
    if (!contains(parent))
        parent = kNone;
    parents_.push_back(static_cast<std::uint32_t>(parent));
    images_.push_back(static_cast<std::int8_t>(std::clamp(image, -1, 127)));
    articles_.push_back(0);
    titles_.append(titleCp1252);
    titleEnds_.push_back(titles_.size());
    finished_ = false;
    return parents_.size();
}

ContentsTree::Item FlatContentsTree::ParentOf(Item item) const
{
    return contains(item) ? parents_[item - 1] : kNone;
}

int FlatContentsTree::ImageOf(Item item) const
{
    return contains(item) ? images_[item - 1] : 0;
}

void FlatContentsTree::SetArticle(Item item, std::int32_t article)
{
    if (contains(item))
        articles_[item - 1] = article;
}

std::int32_t FlatContentsTree::ArticleOf(Item item) const
{
    return contains(item) ? articles_[item - 1] : 0;
}

void FlatContentsTree::SetImage(Item item, int image)
{
    if (contains(item))
        images_[item - 1] = static_cast<std::int8_t>(std::clamp(image, -1, 127));
}

std::string_view FlatContentsTree::TitleOf(Item item) const
{
    if (!contains(item))
        return {};
    const std::size_t begin = item == 1 ? 0 : titleEnds_[item - 2];
    return std::string_view(titles_).substr(begin, titleEnds_[item - 1] - begin);
}

void FlatContentsTree::Finish()
{
    if (finished_)
        return;
    // A counting sort of the items by parent, stable, so children keep insertion order.
    const std::size_t n = parents_.size();
    childStart_.assign(n + 2, 0);
    for (const std::uint32_t p : parents_)
        ++childStart_[p + 1];
    for (std::size_t p = 1; p < childStart_.size(); ++p)
        childStart_[p] += childStart_[p - 1];
    children_.assign(n, 0);
    rows_.assign(n, 0);
    std::vector<std::uint32_t> next(childStart_.begin(), childStart_.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t p = parents_[i];
        rows_[i] = next[p] - childStart_[p];
        children_[next[p]++] = static_cast<std::uint32_t>(i + 1);
    }
    finished_ = true;
}

std::size_t FlatContentsTree::ChildCount(Item parent) const
{
    if (!finished_ || parent > parents_.size())
        return 0;
    return childStart_[parent + 1] - childStart_[parent];
}

ContentsTree::Item FlatContentsTree::ChildAt(Item parent, std::size_t row) const
{
    if (row >= ChildCount(parent))
        return kNone;
    return children_[childStart_[parent] + row];
}

std::size_t FlatContentsTree::RowOf(Item item) const
{
    return finished_ && contains(item) ? rows_[item - 1] : 0;
}

ContentsTree::Item FlatContentsTree::FindArticle(std::int32_t article) const
{
    const auto found = std::find(articles_.begin(), articles_.end(), article);
    return found == articles_.end() ? kNone : static_cast<Item>(found - articles_.begin() + 1);
}

} // namespace mirelda
