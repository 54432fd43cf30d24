#include "core/authoring/help_set_check.h"

#include "core/authoring/author_checks.h"
#include "core/richtext/plain_text.h"
#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace mirelda::authoring {

namespace {

class ProblemList
{
  public:
    void Add(const std::filesystem::path& file, std::uint64_t offset, std::string message)
    {
        problems_.push_back({file.string(), offset, std::move(message), false});
    }
    void Add(const FileError& error) { Add(error.path, error.offset, error.message); }
    void Add(const FileProblem& problem) { Add(problem.path, problem.offset, problem.message); }
    void AddForAuthor(const std::filesystem::path& file, std::uint64_t offset, std::string message)
    {
        problems_.push_back({file.string(), offset, std::move(message), true});
    }
    std::vector<HelpSetProblem> Take() { return std::move(problems_); }

  private:
    std::vector<HelpSetProblem> problems_;
};

std::string ArticleName(std::int32_t number)
{
    return "article " + std::to_string(number);
}

// Index entries by article number, for output that does not depend on the hash order.
std::vector<ArticleEntry> SortedEntries(const ArticleIndex& index)
{
    std::vector<ArticleEntry> entries;
    entries.reserve(index.size());
    index.ForEach([&entries](const ArticleEntry& e) { entries.push_back(e); });
    std::sort(entries.begin(), entries.end(),
              [](const ArticleEntry& a, const ArticleEntry& b) { return a.number < b.number; });
    return entries;
}

// What the author checks need, gathered while the files are checked.
struct Reach
{
    std::unordered_map<std::int32_t, std::uint64_t> recordAt; // first index record of each number
    HelpSetOutline outline;
};

// Numbers 0 and below name no article: no link, tree entry or command line can reach them.
void CheckIndexNumbers(const HelpSetFiles& files, ProblemList& problems, Reach& reach)
{
    auto file = InputFile::Open(files.pgh);
    if (!file)
        return; // already reported by the index loader
    BinaryReader in = file->reader();
    while (in.remaining() >= sizeof(ArticleEntry)) {
        const std::uint64_t at = in.position();
        auto number = in.ReadI32();
        if (!number)
            break;
        if (*number <= 0)
            problems.Add(files.pgh, at, ArticleName(*number) + ": article numbers must be above 0");
        reach.recordAt.emplace(*number, at);
        if (!in.Seek(at + sizeof(ArticleEntry)))
            break;
    }
}

// Reads every article; gives the length of each readable article's text in character
// positions, for the links to be checked against.
std::unordered_map<std::int32_t, std::size_t> CheckArticleData(const std::vector<ArticleEntry>& entries,
                                                               const HelpSetFiles& files,
                                                               ProblemList& problems, Reach& reach)
{
    std::unordered_map<std::int32_t, std::size_t> lengths;
    auto data = ArticleDataReader::Open(files.pgd);
    if (!data) {
        problems.Add(data.error());
        return lengths;
    }
    for (const ArticleEntry& e : entries) {
        auto article = data->Read(e);
        if (!article)
            problems.Add(article.error());
        else
            lengths[e.number] = ExtractPlainText(article->text).size();
        if (article && IsPopupTitle(article->title))
            reach.outline.popups.insert(e.number);
    }
    return lengths;
}

void CheckLinks(const std::vector<ArticleEntry>& entries, const ArticleIndex& index,
                const std::unordered_map<std::int32_t, std::size_t>& textLengths, const HelpSetFiles& files,
                ProblemList& problems, Reach& reach)
{
    auto file = InputFile::Open(files.pgl);
    if (!file) {
        problems.Add(file.error());
        return;
    }
    constexpr std::uint64_t kRecord = sizeof(LinkRecord);
    if (file->size() % kRecord != 0)
        problems.Add(files.pgl, file->size() - file->size() % kRecord,
                     "partial link record of " + std::to_string(file->size() % kRecord) +
                         " bytes at the end of the file");
    BinaryReader in = file->reader();
    for (const ArticleEntry& e : entries) {
        if (e.linkCount == 0)
            continue;
        const std::uint64_t end = std::uint64_t{e.linkOffset} + kRecord * e.linkCount;
        if (end > file->size())
            problems.Add(files.pgl, e.linkOffset,
                         ArticleName(e.number) + ": " + std::to_string(e.linkCount) +
                             " link records run past the end of the file (" + std::to_string(file->size()) +
                             " bytes)");
        const auto length = textLengths.find(e.number);
        in.Seek(e.linkOffset);
        for (std::uint32_t i = 0; i < e.linkCount && in.remaining() >= kRecord; ++i) {
            const std::uint64_t at = in.position();
            unsigned char record[kRecord];
            if (auto read = in.ReadExact(record, sizeof record); !read) {
                problems.Add(read.error());
                break;
            }
            const std::int32_t first = LoadI32(record), last = LoadI32(record + 4),
                               target = LoadI32(record + 8);
            const std::string link = ArticleName(e.number) + ", link " + std::to_string(i + 1) + " (" +
                                     std::to_string(first) + ".." + std::to_string(last) + ")";
            if (first < 0 || last < 0)
                problems.Add(files.pgl, at, link + ": negative position");
            if (first > last)
                problems.Add(files.pgl, at, link + ": first position after the last");
            else if (length != textLengths.end() && last >= 0 &&
                     static_cast<std::size_t>(last) >= length->second)
                problems.Add(files.pgl, at,
                             link + ": runs past the end of the article's text (" +
                                 std::to_string(length->second) + " positions)");
            if (!index.FindArticle(target) || target <= 0)
                problems.Add(files.pgl, at,
                             link + ": target article " + std::to_string(target) + " is not in the index");
            else
                reach.outline.links.emplace_back(e.number, target);
        }
    }
}

void CheckTree(const ArticleIndex* index, const HelpSetFiles& files, ProblemList& problems, Reach& reach)
{
    MemoryContentsTree tree;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    auto report = LoadTree(files.fic, tree, articles);
    if (!report) {
        problems.Add(report.error());
        return;
    }
    for (const FileProblem& p : report->problems)
        problems.Add(p);
    if (!index)
        return;
    // Items are numbered in insertion order, which is the order of the records.
    for (std::size_t item = 1; item <= tree.size(); ++item) {
        const auto found = articles.find(item);
        const std::int32_t article = found == articles.end() ? 0 : found->second;
        if (article != 0 && !index->FindArticle(article))
            problems.Add(files.fic, (item - 1) * ContentsRecord::kSize,
                         "tree entry " + std::to_string(item) + ": " + ArticleName(article) +
                             " is not in the index");
        reach.outline.treeArticles.push_back(article);
    }
}

void CheckAuthorView(const std::vector<ArticleEntry>& entries, const HelpSetFiles& files,
                     ProblemList& problems, Reach& reach)
{
    for (const ArticleEntry& e : entries)
        reach.outline.articles.push_back(e.number);
    const AuthorFindings found = FindAuthorProblems(reach.outline);
    for (std::size_t k : found.popupEntries)
        problems.AddForAuthor(files.fic, k * ContentsRecord::kSize,
                              "tree entry " + std::to_string(k + 1) + ": opens pop-up " +
                                  ArticleName(reach.outline.treeArticles[k]) +
                                  ", which shows as an ordinary article from the tree");
    for (std::int32_t number : found.unreached)
        problems.AddForAuthor(files.pgh, reach.recordAt.count(number) ? reach.recordAt.at(number) : 0,
                              ArticleName(number) +
                                  ": nothing reaches it (no tree entry, no link from another article)");
}

} // namespace

std::vector<HelpSetProblem> FindHelpSetProblems(const HelpSetFiles& files)
{
    ProblemList problems;
    const auto missing = [&files](const std::filesystem::path& p) {
        return std::find(files.missing.begin(), files.missing.end(), p) != files.missing.end();
    };
    for (const auto& path : files.missing)
        problems.Add(path, 0, "file not found");

    std::optional<ArticleIndex> index;
    Reach reach;
    std::vector<ArticleEntry> entries;
    if (!missing(files.pgh)) {
        std::vector<FileProblem> indexProblems;
        auto loaded = LoadArticleIndex(files.pgh, &indexProblems);
        if (loaded) {
            index = std::move(*loaded);
        } else {
            problems.Add(loaded.error());
        }
        for (const FileProblem& p : indexProblems)
            problems.Add(p);
    }
    if (index) {
        entries = SortedEntries(*index);
        CheckIndexNumbers(files, problems, reach);
        std::unordered_map<std::int32_t, std::size_t> textLengths;
        if (!missing(files.pgd))
            textLengths = CheckArticleData(entries, files, problems, reach);
        if (!missing(files.pgl))
            CheckLinks(entries, *index, textLengths, files, problems, reach);
    }
    if (!missing(files.fic))
        CheckTree(index ? &*index : nullptr, files, problems, reach);
    if (files.complete())
        CheckAuthorView(entries, files, problems, reach);
    return problems.Take();
}

} // namespace mirelda::authoring
