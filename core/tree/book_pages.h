#pragma once
// The pages of a book, as a printed copy of the book takes them: every item under it that
// opens an article (entries under a page included), in the order the tree shows them (depth
// first), books left out. An
// article listed by two entries is listed twice, as the reader would meet it twice.

#include "core/tree/flat_contents_tree.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace mirelda {

// The articles of `book`'s subtree (`book` itself excluded), those for which `skip` is true
// left out (e.g. pop-up articles). Walked with an explicit stack, so any depth is fine.
// Empty for an unknown item or a page. Needs Finish to have run.
std::vector<std::int32_t> BookArticles(const FlatContentsTree& tree, ContentsTree::Item book,
                                       const std::function<bool(std::int32_t)>& skip = {});

} // namespace mirelda
