#include "core/authoring/author_checks.h"

#include <algorithm>

namespace mirelda::authoring {

AuthorFindings FindAuthorProblems(const HelpSetOutline& outline)
{
    AuthorFindings found;
    std::unordered_set<std::int32_t> reached{1};
    for (const auto& [source, target] : outline.links)
        if (source != target)
            reached.insert(target);
    for (std::size_t k = 0; k < outline.treeArticles.size(); ++k) {
        const std::int32_t article = outline.treeArticles[k];
        if (article == 0)
            continue;
        reached.insert(article);
        if (outline.popups.count(article))
            found.popupEntries.push_back(k);
    }
    for (std::int32_t number : outline.articles)
        if (number > 0 && !reached.count(number)) // 0 and below are damage, reported as such
            found.unreached.push_back(number);
    std::sort(found.unreached.begin(), found.unreached.end());
    return found;
}

} // namespace mirelda::authoring
