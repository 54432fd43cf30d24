// The help-set compiler: reads a help set's sources and checks them as a whole; the four files
// are written only from a compilation without errors.

#include "core/authoring/help_compiler.h"

#include "core/authoring/author_checks.h"
#include "core/authoring/markdown.h"

#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <system_error>

namespace mirelda::authoring {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxSourceFile = 256u << 20; // far above any article; keeps memory sane

std::optional<std::string> ReadWholeFile(const fs::path& path, std::string& why)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        why = fs::exists(path, ec) ? "is not a regular file" : "does not exist";
        return std::nullopt;
    }
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxSourceFile) {
        why = ec ? "cannot be read" : "is too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string data(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(data.data(), static_cast<std::streamsize>(data.size()))) {
        why = "cannot be read";
        return std::nullopt;
    }
    return data;
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class ArticleTable
{
  public:
    void Add(const ArticleLine& a)
    {
        byName_.emplace(a.name, a.number);
        numbers_.emplace(a.number, a.line);
    }
    // A link or contents target: a name, "#name", or a decimal article number.
    std::optional<std::int32_t> Resolve(std::string_view target) const
    {
        if (!target.empty() && target.front() == '#')
            target.remove_prefix(1);
        if (AllDigits(target)) {
            if (target.size() > 10)
                return std::nullopt;
            long long n = std::stoll(std::string(target));
            auto it = numbers_.find(static_cast<std::int32_t>(n));
            if (n > 0 && n <= 0x7FFFFFFF && it != numbers_.end())
                return static_cast<std::int32_t>(n);
            return std::nullopt;
        }
        auto it = byName_.find(std::string(target));
        if (it == byName_.end())
            return std::nullopt;
        return it->second;
    }

  private:
    std::map<std::string, std::int32_t> byName_;
    std::map<std::int32_t, std::size_t> numbers_;
};

std::string Display(const fs::path& p)
{
    return p.generic_string();
}

// The article's RTF with its links stripped, and its link records; problems go to diags.
ArticleSource CompileArticle(const ArticleLine& a, const std::string& rtf, const std::string& file,
                             const ArticleTable& table, Diagnostics& diags)
{
    ArticleSource out;
    out.number = a.number;
    out.title = a.title;
    std::size_t errorsBefore = diags.size();
    StrippedRtf stripped = StripLinkFields(rtf, file, diags);
    if (diags.size() != errorsBefore)
        return out;

    // The reader names the positions; the fields it drops are those whose result is empty.
    RichDocument original = ReadRtf(rtf);
    std::vector<const LinkField*> shown;
    std::vector<std::u16string> shownText; // each link's text read on its own
    for (const LinkField& link : stripped.links) {
        if (!link.emptyResult) {
            std::u16string resultText = ExtractPlainText(link.resultRtf);
            if (resultText.size() > 1) {
                resultText.pop_back(); // the final paragraph mark of the little document
                shown.push_back(&link);
                shownText.push_back(std::move(resultText));
                continue;
            }
        }
        diags.push_back({file, link.line, "the link to \"" + link.target + "\" has no text"});
    }
    if (shown.size() != original.hyperlinks.size()) {
        // At the first link the reader does not place where the compiler found it.
        std::size_t k = 0;
        while (k < shown.size() && k < original.hyperlinks.size() &&
               Utf16ToUtf8(original.hyperlinks[k].target.empty()
                               ? original.hyperlinks[k].anchor
                               : original.hyperlinks[k].target) == shown[k]->target)
            ++k;
        std::size_t line = k < shown.size() ? shown[k]->line : 1;
        if (k == shown.size() && !shown.empty())
            line = shown.back()->line;
        diags.push_back({file, line,
                         "found " + std::to_string(shown.size()) +
                             " links with text but the RTF reader places " +
                             std::to_string(original.hyperlinks.size()) +
                             "; is a link inside a header, footer or other hidden destination, or is the "
                             "file not RTF?"});
        return out;
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const LinkField& link = *shown[k];
        const RichHyperlink& placed = original.hyperlinks[k];
        std::u16string readerTarget = placed.target.empty() ? placed.anchor : placed.target;
        if (Utf16ToUtf8(readerTarget) != link.target) {
            diags.push_back({file, link.line,
                             "the RTF reader reads this link's target as \"" + Utf16ToUtf8(readerTarget) +
                                 "\", not \"" + link.target + "\""});
            continue;
        }
        std::optional<std::int32_t> target = table.Resolve(link.target);
        if (!target) {
            diags.push_back({file, link.line, "link to unknown article \"" + link.target + "\""});
            continue;
        }
        // A hot spot that does not cover exactly the link's text would make a wrong link in
        // every viewer; refuse it rather than write it.
        std::u16string covered;
        if (placed.first >= 0 && placed.first <= placed.last &&
            static_cast<std::size_t>(placed.last) < original.text.size())
            covered = original.text.substr(static_cast<std::size_t>(placed.first),
                                           static_cast<std::size_t>(placed.last - placed.first + 1));
        if (covered != shownText[k] && covered != shownText[k] + kParagraphMark) {
            diags.push_back({file, link.line,
                             "the RTF reader places this link on \"" + Utf16ToUtf8(covered) +
                                 "\", not on its text \"" + Utf16ToUtf8(shownText[k]) + "\""});
            continue;
        }
        out.links.push_back(LinkRecord{placed.first, placed.last, *target, 0});
    }

    // Stripping must not move a single character: the hot spots were measured on the original.
    if (ExtractPlainText(stripped.rtf) != original.text) {
        diags.push_back({file, 1, "removing the link fields changed the text; please report this file"});
        return out;
    }
    out.text = std::move(stripped.rtf);
    return out;
}

std::vector<ContentsRecord> CompileContents(const std::vector<ContentsLine>& lines, const std::string& file,
                                            const ArticleTable& table, Diagnostics& diags)
{
    std::vector<ContentsRecord> records;
    std::vector<std::string> keyAtDepth; // the key of the latest entry at each depth
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const ContentsLine& c = lines[k];
        ContentsRecord r;
        r.key = "K" + std::to_string(k + 1);
        r.title = c.title;
        // A rejected entry may stand deeper than the one above it; nothing is written then.
        const std::size_t parentDepth = static_cast<std::size_t>(c.depth);
        r.linkKey = parentDepth == 0 || parentDepth > keyAtDepth.size() ? std::string("0")
                                                                        : keyAtDepth[parentDepth - 1];
        r.linkKind = 1;
        if (!c.book && !c.rejected) {
            std::optional<std::int32_t> number = table.Resolve(c.target);
            if (!number)
                diags.push_back({file, c.line, "no article \"" + c.target + "\""});
            r.article = number.value_or(0);
        }
        keyAtDepth.resize(static_cast<std::size_t>(c.depth));
        keyAtDepth.push_back(r.key);
        records.push_back(std::move(r));
    }
    return records;
}

// What `check` tells an author of a built set, said at the source line: articles nothing
// reaches, tree entries that open a pop-up.
void WarnAuthor(CompiledHelpSet& help, const std::vector<ArticleLine>& list, const std::string& listFile,
                const std::vector<ContentsLine>& contentsLines, const std::string& contentsFile)
{
    HelpSetOutline outline;
    std::map<std::int32_t, const ArticleLine*> lineOf;
    for (const ArticleLine& a : list)
        lineOf.emplace(a.number, &a);
    for (const ArticleSource& a : help.articles) {
        outline.articles.push_back(a.number);
        if (IsPopupTitle(a.title))
            outline.popups.insert(a.number);
        for (const LinkRecord& l : a.links)
            outline.links.emplace_back(a.number, l.target);
    }
    for (const ContentsRecord& r : help.contents)
        outline.treeArticles.push_back(r.article);
    const AuthorFindings found = FindAuthorProblems(outline);
    for (std::size_t k : found.popupEntries) {
        const ArticleLine& target = *lineOf.at(outline.treeArticles[k]);
        help.warnings.push_back({contentsFile, contentsLines[k].line,
                                 "warning: this entry opens pop-up article \"" + target.name +
                                     "\", which the tree shows as an ordinary article"});
    }
    for (std::int32_t number : found.unreached) {
        const ArticleLine& a = *lineOf.at(number);
        help.warnings.push_back({listFile, a.line,
                                 "warning: nothing reaches article \"" + a.name +
                                     "\" (no tree entry, no link from another article)"});
    }
}

} // namespace

std::string FormatDiagnostic(const Diagnostic& d)
{
    if (d.line > 0)
        return d.file + ":" + std::to_string(d.line) + ": " + d.message;
    return d.file + ": " + d.message;
}

Status WriteHelpSet(const fs::path& base, const CompiledHelpSet& help)
{
    const char* exts[] = {".PGH", ".PGD", ".PGL", ".FIC"};
    std::vector<fs::path> finals, temps;
    for (const char* e : exts) {
        finals.emplace_back(base.string() + e);
        temps.emplace_back(base.string() + e + ".build-tmp");
    }
    auto removeTemps = [&] {
        std::error_code ec;
        for (const fs::path& t : temps)
            fs::remove(t, ec);
    };
    std::error_code ec;
    fs::path parent = finals[0].parent_path();
    if (!parent.empty())
        fs::create_directories(parent, ec);

    Status written = WriteArticleFiles(temps[0], temps[1], temps[2], help.articles);
    if (written)
        written = WriteContentsFile(temps[3], help.contents);
    if (!written) {
        removeTemps();
        return written;
    }
    // The index last: a reader that opens the set between two renames finds the old index,
    // and a viewer that follows the files waits for them to settle before reading them again.
    constexpr std::size_t kRenameOrder[] = {1, 2, 3, 0};
    for (std::size_t k : kRenameOrder) {
        fs::rename(temps[k], finals[k], ec);
        if (ec) {
            removeTemps();
            return FileError{FileErrorKind::CannotWrite, Display(finals[k]), 0,
                             "cannot rename into place: " + ec.message()};
        }
    }
    return Done{};
}

CompiledHelpSet CompileHelpSet(const fs::path& source, Diagnostics& diags)
{
    CompiledHelpSet help;

    // Article list.
    const std::string listFile = Display(source / "articles.txt");
    std::string why;
    std::optional<std::string> listText = ReadWholeFile(source / "articles.txt", why);
    if (!listText) {
        diags.push_back({listFile, 0, why});
        return help;
    }
    std::vector<ArticleLine> list = ParseArticleList(*listText, listFile, diags);
    ArticleTable table;
    {
        std::map<std::int32_t, std::size_t> numberLine;
        std::map<std::string, std::size_t> nameLine;
        std::vector<ArticleLine> unique;
        for (ArticleLine& a : list) {
            auto [n, newNumber] = numberLine.emplace(a.number, a.line);
            auto [m, newName] = nameLine.emplace(a.name, a.line);
            if (!newNumber)
                diags.push_back({listFile, a.line,
                                 "article number " + std::to_string(a.number) + " is already used on line " +
                                     std::to_string(n->second)});
            if (!newName)
                diags.push_back(
                    {listFile, a.line,
                     "article name \"" + a.name + "\" is already used on line " + std::to_string(m->second)});
            // A duplicate's name and number still resolve (to the first article holding
            // them): the links to it are not errors of their own.
            table.Add(a);
            if (newNumber && newName)
                unique.push_back(std::move(a));
        }
        list = std::move(unique);
    }
    if (list.empty() && diags.empty())
        diags.push_back({listFile, 0, "lists no article"});

    // Articles.
    for (const ArticleLine& a : list) {
        if (a.rejected)
            continue; // its line is wrong: already said
        const fs::path rtfPath = source / "articles" / (a.name + ".rtf");
        const fs::path mdPath = source / "articles" / (a.name + ".md");
        std::error_code ec;
        const bool markdown = fs::exists(mdPath, ec);
        if (markdown && fs::exists(rtfPath, ec)) {
            diags.push_back({listFile, a.line,
                             "article \"" + a.name + "\" has both " + Display(rtfPath) + " and " +
                                 Display(mdPath) + "; keep one"});
            continue;
        }
        const fs::path path = markdown ? mdPath : rtfPath;
        std::optional<std::string> body = ReadWholeFile(path, why);
        if (!body) {
            diags.push_back({listFile, a.line, "article file " + Display(path) + " " + why});
            continue;
        }
        if (markdown && !CheckUtf8Lines(*body, Display(path), diags))
            continue;
        if (markdown) {
            const fs::path folder = path.parent_path();
            *body = MarkdownToRtf(
                *body, Display(path),
                [&folder](const std::string& name) {
                    std::string ignored;
                    return ReadWholeFile(folder / name, ignored);
                },
                diags);
        }
        help.articles.push_back(CompileArticle(a, *body, Display(path), table, diags));
        help.linkCount += help.articles.back().links.size();
    }

    // Contents.
    const std::string contentsFile = Display(source / "contents.txt");
    std::vector<ContentsLine> contentsLines;
    if (std::optional<std::string> text = ReadWholeFile(source / "contents.txt", why)) {
        contentsLines = ParseContents(*text, contentsFile, diags);
        help.contents = CompileContents(contentsLines, contentsFile, table, diags);
    } else {
        diags.push_back({contentsFile, 0, why});
    }
    if (diags.empty())
        WarnAuthor(help, list, listFile, contentsLines, contentsFile);

    if (!table.Resolve("1"))
        help.warnings.push_back({listFile, 0, "warning: no article 1; the viewer opens article 1 first"});
    return help;
}

} // namespace mirelda::authoring
