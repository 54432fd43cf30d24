#pragma once
// What an author wants to know of a help set beyond damage: articles a reader cannot reach,
// and tree entries that open a pop-up article as if it were a page.

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace mirelda::authoring {

struct HelpSetOutline
{
    std::vector<std::int32_t> articles;                       // every article of the index
    std::unordered_set<std::int32_t> popups;                  // those with a pop-up title
    std::vector<std::pair<std::int32_t, std::int32_t>> links; // source, target
    std::vector<std::int32_t> treeArticles;                   // per tree entry; 0 for a book
};

struct AuthorFindings
{
    std::vector<std::int32_t> unreached;   // ascending; article 1, where the viewer starts, never
    std::vector<std::size_t> popupEntries; // tree entries (from 0) that open a pop-up
};

// An article is reached by a tree entry or by a link from another article.
AuthorFindings FindAuthorProblems(const HelpSetOutline& outline);

} // namespace mirelda::authoring
