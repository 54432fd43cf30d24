#include "core/session/help_contents.h"

#include <utility>
#include <vector>

namespace mirelda {

HelpContents::TreeRead HelpContents::ReadTree(const std::filesystem::path& ficPath,
                                              const std::atomic<bool>* stop)
{
    FlatContentsTree tree;
    auto report = LoadTree(
        ficPath, tree,
        [&tree](ContentsTree::Item item, std::int32_t article) { tree.SetArticle(item, article); }, stop);
    tree.Finish();
    return {std::move(tree), std::move(report)};
}

TitleFilter HelpContents::BuildTitles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                                      const std::atomic<bool>* stop)
{
    auto titles = LoadTitles(index, pgdPath, nullptr, stop);
    return TitleFilter(titles.ok() ? std::move(*titles) : std::vector<TitleRecord>{});
}

} // namespace mirelda
