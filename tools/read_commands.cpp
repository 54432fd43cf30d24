// The read-only views of a help set: info, index, article, links, tree.

#include "core/authoring/help_set_counts.h"
#include "core/richtext/plain_text.h"
#include "core/store/cp1252.h"
#include "core/tree/contents_file.h"
#include "tools/commands.h"
#include "tools/tool_common.h"

#include <cstdio>

namespace mirelda::tool {

namespace {

// The help set named by BASE and the index entry of article N, both from the command line;
// whatever is wrong is reported, and then there is nothing.
struct LocatedArticle
{
    HelpSetFiles files;
    ArticleEntry entry;
};

std::optional<LocatedArticle> LocateArticle(const std::string& base, std::int32_t number)
{
    const auto files = OpenHelpSet(base);
    if (!files)
        return std::nullopt;
    const auto index = LoadIndexOrReport(*files);
    if (!index)
        return std::nullopt;
    const ArticleEntry* entry = index->FindArticle(number);
    if (!entry) {
        ReportProblem(files->pgh.string(), "article " + std::to_string(number) + " is not in the index");
        return std::nullopt;
    }
    return LocatedArticle{*files, *entry};
}

} // namespace

int RunInfo(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("info", args, 1, 1);
    if (!split)
        return kExitUsage;
    const auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;

    const auto counts = authoring::CountHelpSet(*files);
    if (!counts) {
        ReportError(counts.error());
        return kExitDamaged;
    }
    for (const FileError& error : counts->errors)
        ReportError(error);
    WriteRecord({"articles", std::to_string(counts->articles)});
    WriteRecord({"popups", std::to_string(counts->popups)});
    WriteRecord({"links", std::to_string(counts->linkRecords)});
    WriteRecord({"tree", std::to_string(counts->treeEntries)});
    return counts->errors.empty() ? kExitOk : kExitDamaged;
}

int RunIndex(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("index", args, 1, 1);
    if (!split)
        return kExitUsage;
    const auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;
    std::vector<FileProblem> problems;
    auto index = LoadArticleIndex(files->pgh, &problems);
    if (!index) {
        ReportError(index.error());
        return kExitDamaged;
    }
    index->ForEach([](const ArticleEntry& e) {
        WriteRecord({std::to_string(e.number), std::to_string(e.textOffset), std::to_string(e.linkOffset),
                     std::to_string(e.linkCount)});
    });
    for (const FileProblem& p : problems)
        ReportProblem(p.path, "at offset " + OffsetText(p.offset) + ": " + p.message);
    return problems.empty() ? kExitOk : kExitDamaged;
}

int RunArticle(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("article", args, 2, 2, {"--rtf", "--text"});
    if (!split)
        return kExitUsage;
    if (split->Has("--rtf") && split->Has("--text"))
        return UsageError("article", "--rtf and --text exclude each other");
    const auto number = ParseArticleArgument(split->positional[1]);
    if (!number)
        return UsageError("article", "not an article number: " + split->positional[1]);
    const auto located = LocateArticle(split->positional[0], *number);
    if (!located)
        return kExitDamaged;
    auto article = ReadArticle(located->files.pgd, located->entry);
    if (!article) {
        ReportError(article.error());
        return kExitDamaged;
    }
    if (split->Has("--rtf")) {
        std::fwrite(article->text.data(), 1, article->text.size(), stdout);
    } else if (split->Has("--text")) {
        const std::string text = Utf16ToUtf8(ExtractPlainTextLines(article->text));
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        WriteRecord({FieldText(article->title)});
    }
    return kExitOk;
}

int RunLinks(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("links", args, 2, 2);
    if (!split)
        return kExitUsage;
    const auto number = ParseArticleArgument(split->positional[1]);
    if (!number)
        return UsageError("links", "not an article number: " + split->positional[1]);
    const auto located = LocateArticle(split->positional[0], *number);
    if (!located)
        return kExitDamaged;
    auto links = ReadLinks(located->files.pgl, located->entry);
    if (!links) {
        ReportError(links.error());
        return kExitDamaged;
    }
    for (const LinkRecord& link : links->records())
        WriteRecord({std::to_string(link.first), std::to_string(link.last), std::to_string(link.target)});
    return kExitOk;
}

int RunTree(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("tree", args, 1, 1);
    if (!split)
        return kExitUsage;
    const auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;

    MemoryContentsTree tree;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    auto report = LoadTree(files->fic, tree, articles);
    if (!report) {
        ReportError(report.error());
        return kExitDamaged;
    }
    tree.ForEachInDisplayOrder([&](ContentsTree::Item item, std::size_t depth) {
        const auto& node = tree.node(item);
        const auto article = articles.find(item);
        WriteRecord({std::string(2 * depth, ' ') + FieldText(node.title), std::to_string(node.image),
                     std::to_string(article == articles.end() ? 0 : article->second)});
    });
    for (const FileProblem& p : report->problems)
        ReportProblem(p.path, "at offset " + OffsetText(p.offset) + ": " + p.message);
    return report->problems.empty() ? kExitOk : kExitDamaged;
}

} // namespace mirelda::tool
