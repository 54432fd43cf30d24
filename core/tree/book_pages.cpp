#include "core/tree/book_pages.h"

#include <utility>

namespace mirelda {

std::vector<std::int32_t> BookArticles(const FlatContentsTree& tree, ContentsTree::Item book,
                                       const std::function<bool(std::int32_t)>& skip)
{
    std::vector<std::int32_t> articles;
    if (!tree.contains(book) || tree.ArticleOf(book) != 0)
        return articles;
    // Each frame: a parent and the next child row to visit.
    std::vector<std::pair<ContentsTree::Item, std::size_t>> stack{{book, 0}};
    while (!stack.empty()) {
        auto& [parent, row] = stack.back();
        if (row >= tree.ChildCount(parent)) {
            stack.pop_back();
            continue;
        }
        const ContentsTree::Item child = tree.ChildAt(parent, row++);
        const std::int32_t article = tree.ArticleOf(child);
        if (article != 0 && (!skip || !skip(article)))
            articles.push_back(article);
        // A page may hold entries of its own: they belong to the book too.
        if (tree.ChildCount(child) != 0)
            stack.emplace_back(child, 0);
    }
    return articles;
}

} // namespace mirelda
