// The help-set decompiler: reads the four files and writes the sources the compiler reads.

#include "core/authoring/decompiler.h"

#include "core/richtext/plain_text.h"
#include "core/store/binary_file.h"
#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

namespace mirelda::authoring {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxNameLength = 40;
constexpr std::size_t kMaxContentsTitle = ContentsRecord::kTitleWidth - 1; // room for its NUL

// The ASCII letters of a Windows-1252 letter with its accent removed ("é" -> "e", "œ" -> "oe").
std::string_view Unaccented(unsigned char b)
{
    static constexpr std::string_view kLatin1[64] = {
        "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",  // C0
        "D", "N", "O", "O", "O", "O", "O",  "",  "O", "U", "U", "U", "U", "Y", "TH", "ss", // D0
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",  // E0
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",  // F0
    };
    if (b >= 0xC0)
        return kLatin1[b - 0xC0];
    switch (b) {
    case 0x8A:
        return "S";
    case 0x8C:
        return "OE";
    case 0x8E:
        return "Z";
    case 0x9A:
        return "s";
    case 0x9C:
        return "oe";
    case 0x9E:
        return "z";
    case 0x9F:
        return "Y";
    default:
        return "";
    }
}

// A title as one line of UTF-8 the source parsers take back unchanged; what they cannot take
// is replaced by a space and reported.
std::string SourceText(std::string_view cp1252, bool& changed)
{
    std::string bytes(cp1252);
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            c = ' ';
            changed = true;
        }
    }
    return Utf16ToUtf8(DecodeCp1252(bytes));
}

} // namespace

std::string NameFromTitle(std::string_view titleCp1252, std::int32_t number)
{
    std::string_view title = PopupCaption(titleCp1252);
    if (!title.empty() && title.front() == '#')
        title.remove_prefix(1);
    std::string name;
    bool gap = false;
    for (char c : title) {
        const auto b = static_cast<unsigned char>(c);
        std::string_view letters;
        char one = 0;
        if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9'))
            one = c;
        else if (b >= 'A' && b <= 'Z')
            one = static_cast<char>(b - 'A' + 'a');
        else
            letters = Unaccented(b);
        std::string piece = one ? std::string(1, one) : std::string(letters);
        for (char& p : piece)
            if (p >= 'A' && p <= 'Z')
                p = static_cast<char>(p - 'A' + 'a');
        if (piece.empty()) {
            gap = true;
            continue;
        }
        if (gap && !name.empty())
            name += '_';
        gap = false;
        name += piece;
        if (name.size() >= kMaxNameLength)
            break;
    }
    if (name.size() > kMaxNameLength)
        name.resize(kMaxNameLength);
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty() || name.find_first_not_of("0123456789") == std::string::npos)
        name = "article_" + std::to_string(number);
    return name;
}

Result<DecompiledSources> DecompileHelpSet(const HelpSetFiles& files)
{
    DecompiledSources out;
    auto warn = [&](const std::string& file, std::string message) {
        out.warnings.push_back({file, 0, "warning: " + std::move(message)});
    };

    // The index in file order: the compiler writes the articles in the order of articles.txt.
    auto pgh = InputFile::Open(files.pgh);
    if (!pgh)
        return pgh.error();
    std::vector<std::int32_t> order;
    {
        std::set<std::int32_t> seen;
        BinaryReader in = pgh->reader();
        while (in.remaining() >= 16) {
            auto number = in.ReadI32();
            if (!number)
                return number.error();
            in.Seek(in.position() + 12);
            if (seen.insert(*number).second)
                order.push_back(*number);
            else
                warn(files.pgh.string(),
                     "article " + std::to_string(*number) + " has two index records; the later one is kept");
        }
    }
    auto index = LoadArticleIndex(files.pgh);
    if (!index)
        return index.error();
    auto data = ArticleDataReader::Open(files.pgd);
    if (!data)
        return data.error();

    // Names: from the titles, in article-number order so that they do not depend on the order
    // of the file; made unique by a number.
    struct Item
    {
        std::int32_t number;
        Article article;
        std::string name;
    };
    std::map<std::int32_t, Item> items;
    for (std::int32_t number : order) {
        const ArticleEntry* entry = index->FindArticle(number);
        auto article = data->Read(*entry);
        if (!article)
            return article.error();
        items.emplace(number, Item{number, std::move(*article), {}});
    }
    std::set<std::string> taken;
    for (auto& [number, item] : items) {
        std::string base = NameFromTitle(item.article.title, number);
        std::string name = base;
        for (int k = 2; !taken.insert(name).second; ++k)
            name = base + "_" + std::to_string(k);
        item.name = name;
    }
    auto nameOf = [&](std::int32_t number) -> std::string {
        auto it = items.find(number);
        return it == items.end() || number <= 0 ? std::string() : it->second.name;
    };

    out.articleList = "; number<TAB>name<TAB>title; the body of each article is articles/<name>.rtf\n";
    for (std::int32_t number : order) {
        Item& item = items.at(number);
        const std::string what = "article " + std::to_string(number);
        if (number <= 0) {
            warn(files.pgh.string(),
                 what + " has a number the sources cannot give (1 to 2147483647); left out");
            continue;
        }
        bool changed = false;
        const std::string title = SourceText(item.article.title, changed);
        if (changed)
            warn(files.pgd.string(), what + ": a control character of its title is written as a space");
        if (item.article.title.empty())
            warn(files.pgd.string(), what + " has no title; it stays without one, which makes it a pop-up");
        out.articleList += std::to_string(number) + "\t" + item.name + "\t" + title + "\n";

        auto links = ReadLinks(files.pgl, *index->FindArticle(number));
        if (!links)
            return links.error();
        std::vector<PlacedLink> placed;
        bool sorted = true;
        for (const LinkRecord& r : links->records()) {
            if (!placed.empty() && r.first < placed.back().first)
                sorted = false;
            const std::string target = nameOf(r.target);
            if (target.empty()) {
                warn(files.pgl.string(),
                     what + ": link " + std::to_string(r.first) + "-" + std::to_string(r.last) +
                         " to article " + std::to_string(r.target) + ", which is not in the index; left out");
                continue;
            }
            placed.push_back({r.first, r.last, target});
        }
        if (!sorted)
            warn(files.pgl.string(), what + ": its links are written in the order of the text");
        // HYPERLINK fields in the stored RTF are only text to the viewer; left in the sources
        // they would become links. Replaced by their result, as the compiler does.
        std::string text = std::move(item.article.text);
        Diagnostics ignored;
        StrippedRtf stripped = StripLinkFields(text, what, ignored);
        if (!stripped.links.empty()) {
            if (ignored.empty() && ExtractPlainText(stripped.rtf) == ExtractPlainText(text)) {
                text = std::move(stripped.rtf);
                warn(files.pgd.string(), what + ": its RTF holds HYPERLINK fields, which the viewer shows as "
                                                "text; written as their text");
            } else {
                warn(files.pgd.string(), what + ": its RTF holds HYPERLINK fields that cannot be removed "
                                                "safely; rebuilding will make links of them");
            }
        }
        out.bodies.emplace_back(
            item.name, PutBackLinks(text, std::move(placed), files.pgd.string(), what, out.warnings));
    }

    // The tree, as the viewer shows it.
    auto contents = ReadContentsRecords(files.fic);
    if (!contents)
        return contents.error();
    MemoryContentsTree tree;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    const TreeLoadReport report = LoadTree(std::move(*contents), files.fic.string(), tree, articles);
    for (const FileProblem& p : report.problems)
        warn(p.path, p.message + " (the entry is written where the viewer shows it)");
    out.contents = "; the contents tree: \"+ Book\", \"- Page = article\", two spaces a level\n";
    tree.ForEachInDisplayOrder([&](ContentsTree::Item entry, std::size_t depth) {
        std::string_view title = tree.node(entry).title;
        const std::string quoted = "entry \"" + Utf16ToUtf8(DecodeCp1252(title)) + "\"";
        std::string bytes(title);
        if (bytes.size() > kMaxContentsTitle) {
            bytes.resize(kMaxContentsTitle);
            warn(files.fic.string(),
                 quoted + ": its title is cut to " + std::to_string(kMaxContentsTitle) + " bytes");
        }
        const std::size_t lead = bytes.find_first_not_of(" \t");
        const std::size_t trail = bytes.find_last_not_of(" \t");
        if (lead == std::string::npos) {
            bytes = "?";
            warn(files.fic.string(), quoted + " has no title; written as \"?\"");
        } else if (lead != 0 || trail + 1 != bytes.size()) {
            bytes = bytes.substr(lead, trail - lead + 1);
            warn(files.fic.string(), quoted + ": the spaces around its title are left out");
        }
        bool changed = false;
        std::string line(depth * 2, ' ');
        const std::string text = SourceText(bytes, changed);
        if (changed)
            warn(files.fic.string(), quoted + ": a control character of its title is written as a space");
        const std::int32_t number = articles[entry];
        const std::string target = number == 0 ? std::string() : nameOf(number);
        if (number != 0 && target.empty())
            warn(files.fic.string(), quoted + " opens article " + std::to_string(number) +
                                         ", which is not in the index; written as a book");
        line += target.empty() ? "+ " + text : "- " + text + " = " + target;
        out.contents += line + "\n";
    });
    return out;
}

Status CheckSourceFolder(const fs::path& folder)
{
    std::error_code ec;
    if (fs::exists(folder, ec) && !(fs::is_directory(folder, ec) && fs::is_empty(folder, ec)))
        return FileError{FileErrorKind::CannotWrite, folder.string(), 0,
                         "exists and is not an empty folder; nothing written"};
    return Done{};
}

Status WriteSources(const fs::path& folder, const DecompiledSources& sources)
{
    if (Status usable = CheckSourceFolder(folder); !usable)
        return usable;
    std::error_code ec;
    fs::create_directories(folder / "articles", ec);
    if (ec)
        return FileError{FileErrorKind::CannotWrite, folder.string(), 0, "cannot create: " + ec.message()};
    if (Status s = WriteWholeFile(folder / "articles.txt", sources.articleList); !s)
        return s;
    for (const auto& [name, rtf] : sources.bodies)
        if (Status s = WriteWholeFile(folder / "articles" / (name + ".rtf"), rtf); !s)
            return s;
    return WriteWholeFile(folder / "contents.txt", sources.contents);
}

} // namespace mirelda::authoring
