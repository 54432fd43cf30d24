// Finds the HYPERLINK fields of an article's RTF and replaces each by its result group, so that
// the stored RTF shows the link text with its look and at the same character positions, while
// the link itself goes to the .PGL file.

#include "core/authoring/help_compiler.h"

#include "core/richtext/rtf_keywords.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace mirelda::authoring {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// One {...} group of the source, by byte offsets.
struct Group
{
    std::size_t open = 0;         // offset of "{"
    std::size_t close = kNone;    // offset of the matching "}", kNone when never closed
    std::size_t contentStart = 0; // after the first control word and its delimiter
    std::size_t parent = kNone;
    std::string word;     // first control word ("field", "fldinst"...), may be empty
    bool star = false;    // {\* ...}: an ignorable destination
    bool skipped = false; // this group or an enclosing one never reaches the text
    bool firstTokenSeen = false;
};

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A control word at src[i] == '\\' followed by a letter: its name, end offset (after the
// delimiter space if any) and numeric parameter.
struct ControlWord
{
    std::string_view name;
    std::size_t end = 0;
    bool hasParam = false;
    long long param = 0;
};

ControlWord ReadControlWord(std::string_view src, std::size_t i)
{
    ControlWord cw;
    std::size_t j = i + 1;
    while (j < src.size() && IsLetter(src[j]) && j - i <= 32)
        ++j;
    cw.name = src.substr(i + 1, j - i - 1);
    std::size_t k = j;
    bool negative = k < src.size() && src[k] == '-';
    if (negative)
        ++k;
    std::size_t digits = k;
    while (k < src.size() && src[k] >= '0' && src[k] <= '9') {
        if (k - digits < 10)
            cw.param = cw.param * 10 + (src[k] - '0');
        ++k;
    }
    if (k > digits) {
        cw.hasParam = true;
        if (negative)
            cw.param = -cw.param;
        j = k;
    }
    if (j < src.size() && src[j] == ' ')
        ++j;
    cw.end = j;
    return cw;
}

class LineMap
{
  public:
    explicit LineMap(std::string_view src)
    {
        for (std::size_t i = 0; i < src.size(); ++i)
            if (src[i] == '\n')
                starts_.push_back(i + 1);
    }
    std::size_t LineOf(std::size_t offset) const
    {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                        starts_.begin());
    }

  private:
    std::vector<std::size_t> starts_{0};
};

// All groups in order of their opening brace; braces that do not match are reported.
std::vector<Group> ScanGroups(std::string_view src, const std::string& file, const LineMap& lines,
                              Diagnostics& diags)
{
    std::vector<Group> groups;
    std::size_t current = kNone;
    auto firstToken = [&](std::string_view word, bool isStar, std::size_t end) {
        if (current == kNone)
            return;
        Group& g = groups[current];
        if (g.firstTokenSeen)
            return;
        if (isStar) {
            g.star = true;
            return;
        }
        g.firstTokenSeen = true;
        g.word = std::string(word);
        g.contentStart = end;
        if (g.star || rtf::IsDestinationWithoutText(g.word))
            g.skipped = true;
    };
    std::size_t i = 0;
    while (i < src.size()) {
        char c = src[i];
        if (c == '{') {
            if (current != kNone)
                groups[current].firstTokenSeen = true;
            Group g;
            g.open = i;
            g.contentStart = i + 1;
            g.parent = current;
            g.skipped = current != kNone && groups[current].skipped;
            groups.push_back(std::move(g));
            current = groups.size() - 1;
            ++i;
        } else if (c == '}') {
            if (current == kNone) {
                diags.push_back({file, lines.LineOf(i), "unmatched \"}\""});
            } else {
                groups[current].close = i;
                current = groups[current].parent;
            }
            ++i;
        } else if (c == '\\' && i + 1 < src.size() && IsLetter(src[i + 1])) {
            ControlWord cw = ReadControlWord(src, i);
            firstToken(cw.name, false, cw.end);
            i = cw.end;
            if (cw.name == "bin" && cw.param > 0)
                i += std::min<std::size_t>(static_cast<std::size_t>(cw.param), src.size() - i);
        } else if (c == '\\' && i + 1 < src.size()) {
            bool isStar = src[i + 1] == '*';
            i += src[i + 1] == '\'' ? 4 : 2;
            i = std::min(i, src.size());
            firstToken({}, isStar, i);
        } else {
            if (current != kNone && c != '\r' && c != '\n')
                groups[current].firstTokenSeen = true;
            ++i;
        }
    }
    for (std::size_t g = current; g != kNone; g = groups[g].parent)
        diags.push_back({file, lines.LineOf(groups[g].open), "this \"{\" is never closed"});
    return groups;
}

std::size_t GroupAt(const std::vector<Group>& groups, std::size_t open)
{
    auto it = std::lower_bound(groups.begin(), groups.end(), open,
                               [](const Group& g, std::size_t o) { return g.open < o; });
    return it != groups.end() && it->open == open ? static_cast<std::size_t>(it - groups.begin()) : kNone;
}

// The text of a field instruction: characters and escapes, without control words and without
// nested ignorable groups (Word puts a {\*\datafield ...} there).
std::string InstructionText(std::string_view src, const std::vector<Group>& groups, const Group& inst)
{
    std::string out;
    std::size_t end = inst.close == kNone ? src.size() : inst.close;
    std::size_t i = inst.contentStart;
    int skipFallback = 0;
    while (i < end) {
        char c = src[i];
        if (c == '{') {
            std::size_t g = GroupAt(groups, i);
            if (g != kNone && groups[g].star) {
                i = groups[g].close == kNone ? end : groups[g].close + 1;
                continue;
            }
            ++i;
        } else if (c == '}' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '\\' && i + 1 < end && IsLetter(src[i + 1])) {
            ControlWord cw = ReadControlWord(src, i);
            i = cw.end;
            if (cw.name == "u" && cw.hasParam) {
                long long cp = cw.param < 0 ? cw.param + 65536 : cw.param;
                out.push_back(cp > 0 && cp < 0x80 ? static_cast<char>(cp) : '\x01');
                skipFallback = 1;
            } else if (cw.name == "bin" && cw.param > 0) {
                i += std::min<std::size_t>(static_cast<std::size_t>(cw.param), end - i);
            }
        } else if (c == '\\' && i + 1 < end) {
            char s = src[i + 1];
            if (s == '\'') {
                if (skipFallback > 0) {
                    --skipFallback;
                } else if (i + 3 < end && std::isxdigit(static_cast<unsigned char>(src[i + 2])) &&
                           std::isxdigit(static_cast<unsigned char>(src[i + 3]))) {
                    out.push_back(
                        static_cast<char>(std::stoi(std::string(src.substr(i + 2, 2)), nullptr, 16)));
                }
                i += 4;
            } else {
                if (s == '\\' || s == '{' || s == '}')
                    out.push_back(s);
                i += 2;
            }
        } else {
            if (skipFallback > 0)
                --skipFallback;
            else
                out.push_back(c);
            ++i;
        }
    }
    return out;
}

// Splits a field instruction into words; "quoted strings" are one word without the quotes.
std::vector<std::string> InstructionWords(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] == '"') {
            std::size_t end = text.find('"', i + 1);
            if (end == kNone)
                end = text.size();
            words.emplace_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
                ++end;
            words.emplace_back(text.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The target of a HYPERLINK instruction, or false when the instruction is another field.
// `HYPERLINK "name"`; Word writes links inside a document as `HYPERLINK \l "name"`.
bool HyperlinkTarget(std::string_view instruction, std::string& target)
{
    std::vector<std::string> words = InstructionWords(instruction);
    if (words.empty() || !EqualsNoCase(words[0], "HYPERLINK"))
        return false;
    std::string main, local;
    for (std::size_t k = 1; k < words.size(); ++k) {
        const std::string& w = words[k];
        if (w.size() == 2 && w[0] == '\\') {
            char sw = static_cast<char>(std::tolower(static_cast<unsigned char>(w[1])));
            if ((sw == 'l' || sw == 'o' || sw == 't') && k + 1 < words.size()) {
                if (sw == 'l')
                    local = words[k + 1];
                ++k;
            }
        } else if (main.empty()) {
            main = w;
        }
    }
    target = main.empty() ? local : main;
    return true;
}

struct Edit
{
    std::size_t from = 0; // replace [from, to) by text
    std::size_t to = 0;
    std::string text;
};

bool IsCharacterFormatting(std::string_view w)
{
    static constexpr std::array<std::string_view, 34> kWords = {
        "plain",    "b",    "i",         "ul",     "uld",  "uldb",       "ulw",     "uldash", "uldashd",
        "uldashdd", "ulth", "ulwave",    "ulnone", "ulc",  "strike",     "striked", "f",      "fs",
        "cf",       "cb",   "highlight", "super",  "sub",  "nosupersub", "caps",    "scaps",  "v",
        "cs",       "lang", "langfe",    "loch",   "hich", "dbch",       "insrsid"};
    return std::find(kWords.begin(), kWords.end(), w) != kWords.end();
}

// Character formatting written on the field group itself, before its first child group, so
// that the result keeps its look; the field's own flags (\fldedit, \fldlock...) and anything
// that could add characters go.
std::string FieldFormatting(std::string_view src, const Group& field, std::size_t firstChild)
{
    std::string out;
    std::size_t i = field.contentStart;
    while (i < firstChild) {
        if (src[i] == '\\' && i + 1 < firstChild && IsLetter(src[i + 1])) {
            ControlWord cw = ReadControlWord(src, i);
            std::size_t end = std::min(cw.end, firstChild);
            if (IsCharacterFormatting(cw.name)) {
                std::string_view word = src.substr(i, end - i);
                while (!word.empty() && word.back() == ' ')
                    word.remove_suffix(1);
                out += word;
            }
            i = end;
        } else {
            ++i;
        }
    }
    if (!out.empty())
        out += ' ';
    return out;
}

} // namespace

StrippedRtf StripLinkFields(std::string_view rtf, const std::string& file, Diagnostics& diags)
{
    StrippedRtf result;
    LineMap lines(rtf);
    std::size_t errorsBefore = diags.size();
    std::vector<Group> groups = ScanGroups(rtf, file, lines, diags);
    if (diags.size() != errorsBefore) {
        result.rtf = std::string(rtf);
        return result;
    }

    std::vector<std::vector<std::size_t>> children(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g)
        if (groups[g].parent != kNone)
            children[groups[g].parent].push_back(g);

    std::vector<Edit> edits;
    std::vector<std::size_t> linkGroups; // to find links nested in links
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const Group& field = groups[g];
        if (field.word != "field" || field.skipped)
            continue;
        std::size_t inst = kNone, rslt = kNone;
        for (std::size_t ch : children[g]) {
            if (groups[ch].word == "fldinst" && inst == kNone)
                inst = ch;
            if (groups[ch].word == "fldrslt" && rslt == kNone)
                rslt = ch;
        }
        std::string target;
        if (inst == kNone || !HyperlinkTarget(InstructionText(rtf, groups, groups[inst]), target))
            continue;

        std::size_t line = lines.LineOf(field.open);
        for (std::size_t outer = field.parent; outer != kNone; outer = groups[outer].parent) {
            if (std::find(linkGroups.begin(), linkGroups.end(), outer) != linkGroups.end()) {
                diags.push_back({file, line, "a link inside the text of another link"});
                break;
            }
        }
        linkGroups.push_back(g);
        LinkField link;
        link.target = target;
        link.line = line;
        if (rslt == kNone) {
            link.emptyResult = true;
            edits.push_back({field.open, field.close + 1, {}});
        } else {
            const Group& r = groups[rslt];
            link.resultRtf =
                "{\\rtf1 " + std::string(rtf.substr(r.contentStart, r.close - r.contentStart)) + "}";
            std::size_t firstChild = groups[children[g].front()].open;
            edits.push_back(
                {field.open, groups[rslt].contentStart, "{" + FieldFormatting(rtf, field, firstChild)});
            edits.push_back({groups[rslt].close, field.close + 1, "}"});
        }
        result.links.push_back(std::move(link));
    }

    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.from < b.from; });
    std::size_t at = 0;
    for (const Edit& e : edits) {
        if (e.from < at)
            continue; // inside a field already removed whole
        result.rtf.append(rtf.substr(at, e.from - at));
        result.rtf += e.text;
        at = e.to;
    }
    result.rtf.append(rtf.substr(at));
    return result;
}

} // namespace mirelda::authoring
