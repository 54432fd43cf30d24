// The search over all articles from the command line: the same engine as the viewer, the
// results sorted as the results window sorts them (case-insensitive alphabetical order of
// the titles under the user's locale; equal titles in the order the search found them).
// Nothing found is not a failure: the exit status is 0 and the count on stderr says 0.

#include "tools/search_command.h"

#include "core/lists/list_order.h"
#include "core/search/search_engine.h"
#include "core/search/title_filter.h"
#include "core/store/cp1252.h"
#include "tools/tool_common.h"

#include <algorithm>
#include <cstdio>

namespace mirelda::tool {

int RunSearch(const std::vector<std::string>& args)
{
    const auto split =
        SplitArguments("search", args, 2, 2, {"--case", "--word", "--no-title", "--no-text", "--accents"});
    if (!split)
        return kExitUsage;
    SearchRequest request;
    request.matchCase = split->Has("--case");
    request.wholeWord = split->Has("--word");
    request.inTitle = !split->Has("--no-title");
    request.inText = !split->Has("--no-text");
    request.ignoreAccents = split->Has("--accents");
    if (!request.inTitle && !request.inText)
        return UsageError("search", "--no-title and --no-text leave nothing to search in");

    // As in the viewer: a character that Windows-1252 lacks cannot be in a title, but can be in
    // an article's text (\uN), so such a string is looked for in the texts as typed.
    const std::u16string wanted = Utf8ToUtf16(split->positional[1]);
    if (wanted.empty())
        return UsageError("search", "the text to search for is empty");
    SetSearchText(request, wanted);

    const auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;
    auto index = LoadIndexOrReport(*files);
    if (!index)
        return kExitDamaged;
    auto hits = FindMatchingArticles(*index, files->pgd, request);
    if (!hits) {
        ReportError(hits.error());
        return kExitDamaged;
    }

    const ListOrder order;
    std::stable_sort(hits->begin(), hits->end(), [&order](const SearchHit& a, const SearchHit& b) {
        return order.CompareCp1252(a.title, b.title) < 0;
    });
    for (const SearchHit& hit : *hits)
        WriteRecord({std::to_string(hit.number), FieldText(hit.title)});
    std::fprintf(stderr, "%zu article%s found%s\n", hits->size(), hits->size() == 1 ? "" : "s",
                 hits->size() == kSearchResultLimit ? " (the limit: more may match)" : "");
    return kExitOk;
}

// One line per title found: number, caption, and "popup" for a pop-up article.
int RunTitles(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("titles", args, 2, 2);
    if (!split)
        return kExitUsage;
    const std::u16string typed = Utf8ToUtf16(split->positional[1]);
    const auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;
    auto index = LoadIndexOrReport(*files);
    if (!index)
        return kExitDamaged;
    std::size_t unreadable = 0;
    auto titles = LoadTitles(*index, files->pgd, &unreadable);
    if (!titles) {
        ReportError(titles.error());
        return kExitDamaged;
    }
    if (unreadable > 0)
        std::fprintf(stderr, "mirelda-tool: titles: %zu article%s whose title cannot be read left out\n",
                     unreadable, unreadable == 1 ? "" : "s");
    TitleFilter filter(std::move(*titles));
    for (const std::uint32_t entry : filter.Find(typed)) {
        std::vector<std::string> fields{std::to_string(filter.number(entry)),
                                        FieldText(filter.caption(entry))};
        if (filter.popup(entry))
            fields.emplace_back("popup");
        WriteRecord(fields);
    }
    return kExitOk;
}

} // namespace mirelda::tool
