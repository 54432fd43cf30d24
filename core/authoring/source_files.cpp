// The two plain-text sources of a help set: the article list and the contents tree.

#include "core/authoring/help_compiler.h"

#include "core/store/cp1252.h"
#include "core/tree/contents_file.h"

#include <charconv>
#include <limits>

namespace mirelda::authoring {
namespace {

constexpr std::size_t kMaxContentsTitle = ContentsRecord::kTitleWidth - 1; // room for its NUL

// Calls f(lineText, lineNumber) for each line, without its CR/LF; a leading UTF-8 BOM goes.
template <class F> void ForEachLine(std::string_view text, F&& f)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t line = 0;
    while (!text.empty()) {
        ++line;
        std::size_t end = text.find('\n');
        std::string_view l = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        f(l, line);
    }
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsComment(std::string_view line)
{
    std::string_view t = Trim(line);
    return t.empty() || t.front() == ';';
}

bool IsValidName(std::string_view name)
{
    if (name.empty())
        return false;
    bool allDigits = true;
    for (char c : name) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                  c == '-';
        if (!ok)
            return false;
        if (c < '0' || c > '9')
            allDigits = false;
    }
    // An all-digit name would read as an article number in a link target.
    return !allDigits;
}

// The column (from 1) of the first ill-formed UTF-8 sequence of `line`, or 0.
std::size_t FirstBadUtf8Column(std::string_view line)
{
    for (std::size_t at = 0; at < line.size();) {
        const Utf8Char c = DecodeUtf8Char(line, at);
        if (!c.valid)
            return at + 1;
        at += c.length;
    }
    return 0;
}

std::string BadUtf8Message(std::string_view line, std::size_t column)
{
    static const char hex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(line[column - 1]);
    return std::string("invalid UTF-8 (byte 0x") + hex[byte >> 4] + hex[byte & 15] + " at column " +
           std::to_string(column) + "); save the file as UTF-8";
}

} // namespace

bool CheckUtf8Lines(std::string_view text, const std::string& file, Diagnostics& diags)
{
    // A file saved in another encoding is one mistake: its first bad line, and how many more.
    std::size_t badLines = 0;
    std::size_t first = 0;
    ForEachLine(text, [&](std::string_view line, std::size_t n) {
        if (std::size_t column = FirstBadUtf8Column(line); column != 0 && badLines++ == 0) {
            first = diags.size();
            diags.push_back({file, n, BadUtf8Message(line, column)});
        }
    });
    if (badLines > 1)
        diags[first].message +=
            " (and " + std::to_string(badLines - 1) + " more line" + (badLines > 2 ? "s" : "") + " below)";
    return badLines == 0;
}

std::vector<ArticleLine> ParseArticleList(std::string_view text, const std::string& file, Diagnostics& diags)
{
    std::vector<ArticleLine> result;
    ForEachLine(text, [&](std::string_view line, std::size_t n) {
        const std::size_t badColumn = FirstBadUtf8Column(line);
        if (badColumn == 0 && IsComment(line))
            return;
        // One error a line: the first thing wrong with it.
        bool reported = false;
        auto bad = [&](std::string msg) {
            if (!reported)
                diags.push_back({file, n, std::move(msg)});
            reported = true;
        };
        if (badColumn != 0)
            bad(BadUtf8Message(line, badColumn));
        std::size_t tab1 = line.find('\t');
        std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            bad("expected number<TAB>name<TAB>title");
            return;
        }
        std::string_view numberText = Trim(line.substr(0, tab1));
        std::string_view name = Trim(line.substr(tab1 + 1, tab2 - tab1 - 1));
        std::string_view title = line.substr(tab2 + 1);

        ArticleLine a;
        a.line = n;
        std::int64_t number = 0;
        auto [end, ec] = std::from_chars(numberText.data(), numberText.data() + numberText.size(), number);
        if (numberText.empty() || ec != std::errc() || end != numberText.data() + numberText.size() ||
            number <= 0 || number > std::numeric_limits<std::int32_t>::max()) {
            bad("article number \"" + std::string(numberText) + "\" is not a number from 1 to 2147483647");
            return;
        }
        a.number = static_cast<std::int32_t>(number);
        if (!IsValidName(name)) {
            bad("article name \"" + std::string(name) +
                "\" must be letters, digits, \"_\" or \"-\", and not only digits");
            return;
        }
        a.name = std::string(name);
        std::string why;
        if (!reported && !Utf8ToCp1252Strict(title, a.title, why))
            bad("title " + why);
        a.rejected = reported;
        result.push_back(std::move(a));
    });
    return result;
}

std::vector<ContentsLine> ParseContents(std::string_view text, const std::string& file, Diagnostics& diags)
{
    std::vector<ContentsLine> result;
    int previousDepth = -1;
    ForEachLine(text, [&](std::string_view line, std::size_t n) {
        const std::size_t badColumn = FirstBadUtf8Column(line);
        if (badColumn == 0 && IsComment(line))
            return;
        auto bad = [&](std::string msg) { diags.push_back({file, n, std::move(msg)}); };
        std::size_t spaces = 0;
        while (spaces < line.size() && line[spaces] == ' ')
            ++spaces;
        if (spaces < line.size() && line[spaces] == '\t') {
            bad(badColumn ? BadUtf8Message(line, badColumn) : "indent with spaces (2 a level), not tabs");
            return;
        }
        if (spaces % 2 != 0) {
            bad(badColumn ? BadUtf8Message(line, badColumn) : "indentation must be a multiple of 2 spaces");
            return;
        }
        ContentsLine c;
        c.line = n;
        c.depth = static_cast<int>(spaces / 2);
        // From here the entry's depth is known: a wrong entry still holds its place, so that
        // the entries under it are checked against it and not reported for it.
        auto reject = [&](std::string msg) {
            bad(std::move(msg));
            c.rejected = true;
            c.book = true;
            previousDepth = c.depth;
            result.push_back(std::move(c));
        };
        if (badColumn != 0) {
            reject(BadUtf8Message(line, badColumn));
            return;
        }
        if (c.depth > previousDepth + 1) {
            reject(previousDepth < 0 ? "the first entry must not be indented"
                                     : "indented more than one level below the entry above");
            return;
        }
        std::string_view rest = line.substr(spaces);
        if (rest.size() < 2 || (rest[0] != '+' && rest[0] != '-') || rest[1] != ' ') {
            reject("expected \"+ Book title\" or \"- Page title = article\"");
            return;
        }
        c.book = rest[0] == '+';
        rest = Trim(rest.substr(2));
        std::string_view title = rest;
        if (!c.book) {
            std::size_t eq = rest.rfind(" = ");
            if (eq == std::string_view::npos) {
                reject("a page needs \" = article\" after its title");
                return;
            }
            title = Trim(rest.substr(0, eq));
            c.target = std::string(Trim(rest.substr(eq + 3)));
            if (c.target.empty()) {
                reject("a page needs an article after \" = \"");
                return;
            }
        }
        if (title.empty()) {
            reject("an entry needs a title");
            return;
        }
        std::string why;
        if (!Utf8ToCp1252Strict(title, c.title, why)) {
            reject("title " + why);
            return;
        }
        if (c.title.size() > kMaxContentsTitle) {
            reject("title is " + std::to_string(c.title.size()) + " bytes in Windows-1252; at most " +
                   std::to_string(kMaxContentsTitle));
            return;
        }
        previousDepth = c.depth;
        result.push_back(std::move(c));
    });
    return result;
}

} // namespace mirelda::authoring
