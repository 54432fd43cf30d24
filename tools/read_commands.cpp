// The read-only views of a help set: info, index, article, links, tree.

#include "core/richtext/plain_text.h"
#include "core/store/binary_file.h"
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

// The character positions of an article's text as one UTF-8 text: paragraph marks become
// line feeds, the last one left out so that the text ends where the article does.
std::string PositionText(std::string_view rtf)
{
    std::u16string text = ExtractPlainText(rtf);
    if (!text.empty() && text.back() == u'\r')
        text.pop_back();
    for (char16_t& c : text)
        if (c == u'\r')
            c = u'\n';
    return Utf16ToUtf8(text);
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

    int exitCode = kExitOk;
    const auto fail = [&exitCode](const FileError& error) {
        ReportError(error);
        exitCode = kExitDamaged;
    };

    auto index = LoadArticleIndex(files->pgh);
    if (!index) {
        fail(index.error());
        return exitCode;
    }
    std::size_t popups = 0;
    if (auto data = ArticleDataReader::Open(files->pgd)) {
        index->ForEach([&](const ArticleEntry& entry) {
            auto title = data->ReadTitle(entry);
            if (!title)
                fail(title.error());
            else if (IsPopupTitle(*title))
                ++popups;
        });
    } else {
        fail(data.error());
    }

    std::uint64_t linkRecords = 0;
    if (auto links = InputFile::Open(files->pgl))
        linkRecords = links->size() / sizeof(LinkRecord);
    else
        fail(links.error());

    std::size_t treeEntries = 0;
    if (auto contents = ReadContentsRecords(files->fic))
        treeEntries = contents->records.size();
    else
        fail(contents.error());

    WriteRecord({"articles", std::to_string(index->size())});
    WriteRecord({"popups", std::to_string(popups)});
    WriteRecord({"links", std::to_string(linkRecords)});
    WriteRecord({"tree", std::to_string(treeEntries)});
    return exitCode;
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
        const std::string text = PositionText(article->text);
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
