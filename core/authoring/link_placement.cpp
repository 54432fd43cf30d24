// Puts links back into an article's RTF as HYPERLINK fields. The reader reports, for each
// text position, the byte offset of what produced it; a link's field must then enclose exactly
// the bytes of its characters, whatever groups and escapes lie there.
//
// When the characters fill a whole group (the compiler writes each link as one), the group's
// own braces become the field's: rebuilding gives the same bytes. Otherwise the field is
// inserted around the bytes, and where the range starts or ends inside groups those groups are
// closed before the field and opened again inside it with their formatting words, so that
// every character keeps its look.

#include "core/authoring/decompiler.h"

#include "core/richtext/rtf_keywords.h"
#include "core/richtext/rtf_reader.h"

#include <algorithm>

namespace mirelda::authoring {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The end of the token at src[i]; `word` receives a control word's letters.
std::size_t TokenEnd(std::string_view src, std::size_t i, std::string_view* word = nullptr,
                     long long* param = nullptr)
{
    if (src[i] != '\\' || i + 1 >= src.size())
        return i + 1;
    if (src[i + 1] == '\'')
        return std::min(src.size(), i + 4);
    if (!IsLetter(src[i + 1]))
        return i + 2;
    std::size_t j = i + 1;
    while (j < src.size() && IsLetter(src[j]))
        ++j;
    if (word)
        *word = src.substr(i + 1, j - i - 1);
    bool negative = j < src.size() && src[j] == '-';
    std::size_t k = negative ? j + 1 : j;
    long long value = 0;
    const std::size_t digits = k;
    while (k < src.size() && src[k] >= '0' && src[k] <= '9') {
        if (k - digits < 10)
            value = value * 10 + (src[k] - '0');
        ++k;
    }
    if (k > digits)
        j = k;
    if (param)
        *param = negative ? -value : value;
    if (j < src.size() && src[j] == ' ')
        ++j;
    return j;
}

struct Group
{
    std::size_t open = 0;
    std::size_t close = kNone;
    std::size_t parent = kNone;
    int depth = 0;            // 1 for the document's group
    bool convertible = false; // an ordinary group whose braces may become a field's
};

class Layout
{
  public:
    explicit Layout(std::string_view src) : src_(src), groupAt_(src.size() + 1, kNone)
    {
        std::size_t current = kNone;
        for (std::size_t i = 0; i < src.size();) {
            groupAt_[i] = current;
            std::string_view word;
            long long param = 0;
            std::size_t end = TokenEnd(src, i, &word, &param);
            if (src[i] == '{') {
                Group g;
                g.open = i;
                g.parent = current;
                g.depth = current == kNone ? 1 : groups_[current].depth + 1;
                std::string_view first;
                const bool star = src.substr(i + 1, 2) == "\\*";
                if (i + 1 < src.size() && src[i + 1] == '\\')
                    TokenEnd(src, i + 1, &first);
                g.convertible = g.depth > 1 && !star && !IsDestination(first);
                groups_.push_back(g);
                current = groups_.size() - 1;
            } else if (src[i] == '}' && current != kNone) {
                groups_[current].close = i;
                groupAt_[i] = current;
                current = groups_[current].parent;
            } else if (word == "bin" && param > 0) {
                end = std::min(src.size(), end + static_cast<std::size_t>(param));
            }
            for (std::size_t k = i + 1; k < end; ++k)
                groupAt_[k] = current;
            i = end;
        }
        groupAt_[src.size()] = current;
        for (Group& g : groups_)
            if (g.close == kNone)
                g.close = src.size();
    }

    // The innermost group holding offset x strictly inside its braces, or kNone.
    std::size_t GroupHolding(std::size_t x) const
    {
        std::size_t g = groupAt_[std::min(x, src_.size())];
        // A "}" belongs to the group it closes; the offset is inside that group only if x is it.
        return g;
    }
    const Group& group(std::size_t g) const { return groups_[g]; }
    int DepthAt(std::size_t x) const
    {
        std::size_t g = GroupHolding(x);
        if (g != kNone && groups_[g].open == x)
            g = groups_[g].parent; // the "{" itself is outside its group
        return g == kNone ? 0 : groups_[g].depth;
    }
    // The group holding x that is `depth` deep.
    std::size_t AncestorAt(std::size_t x, int depth) const
    {
        std::size_t g = GroupHolding(x);
        if (g != kNone && groups_[g].open == x)
            g = groups_[g].parent;
        while (g != kNone && groups_[g].depth > depth)
            g = groups_[g].parent;
        return g;
    }
    std::size_t GroupClosingAt(std::size_t x) const
    {
        std::size_t g = x < src_.size() && src_[x] == '}' ? groupAt_[x] : kNone;
        return g != kNone && groups_[g].close == x ? g : kNone;
    }

  private:
    static bool IsDestination(std::string_view w)
    {
        return rtf::IsDestinationWithoutText(w) || w == "field" || w == "fldrslt" || w == "shppict" ||
               w == "object" || w == "result" || w == "shp" || w == "shprslt" || w == "rtf";
    }

    std::string_view src_;
    std::vector<Group> groups_;
    std::vector<std::size_t> groupAt_; // per byte: the innermost open group (a brace: its own)
};

// Control words followed by the space that ends the last one (nothing for no words).
std::string Delimited(const std::string& words)
{
    return words.empty() ? words : words + " ";
}

struct Edit
{
    std::size_t from = 0;
    std::size_t to = 0; // bytes [from, to) are replaced
    int order = 0;      // at the same offset: ends of links before starts
    std::string text;
};

class Placer
{
  public:
    Placer(std::string_view src, const std::vector<std::uint32_t>& offsets)
        : src_(src), layout_(src), starts_(src.size() + 1, false)
    {
        for (std::uint32_t o : offsets)
            if (o <= src.size())
                starts_[o] = true;
    }

    // The bytes of position p: [start, end).
    std::pair<std::size_t, std::size_t> Span(std::size_t offset) const
    {
        if (offset >= src_.size())
            return {src_.size(), src_.size()};
        if (std::size_t g = layout_.GroupClosingAt(offset); g != kNone)
            return {layout_.group(g).open, offset + 1}; // a picture: its whole group
        std::string_view word;
        std::size_t end = TokenEnd(src_, offset, &word);
        if (word == "u") {
            // The fallback characters after \uN belong to it; they end at the next position.
            for (int k = 0; k < 8 && end < src_.size() && !starts_[end]; ++k) {
                const char c = src_[end];
                if (c == '{' || c == '}' || (c == '\\' && src_.substr(end, 2) != "\\'"))
                    break;
                end = TokenEnd(src_, end);
            }
        }
        return {offset, end};
    }

    bool HasPositionIn(std::size_t from, std::size_t to) const
    {
        for (std::size_t x = from; x < to && x < starts_.size(); ++x)
            if (starts_[x])
                return true;
        return false;
    }

    // Adds the edits for one link over bytes [s, e).
    void Place(std::size_t s, std::size_t e, const std::string& target)
    {
        s = std::min(s, src_.size());
        e = std::min(std::max(e, s), src_.size());
        const std::string open = "{\\field{\\*\\fldinst HYPERLINK \"" + target + "\"}{\\fldrslt ";
        // Widen to whole groups while that takes no other character.
        for (;;) {
            const std::size_t g = layout_.AncestorAt(s, layout_.DepthAt(s));
            if (g == kNone || layout_.DepthAt(e) != layout_.DepthAt(s) || layout_.group(g).depth <= 1)
                break;
            const Group& grp = layout_.group(g);
            if (grp.close >= src_.size() || e > grp.close || HasPositionIn(grp.open, s) ||
                HasPositionIn(e, grp.close))
                break; // a group never closed stays as it is
            if (!Balanced(s, e))
                break;
            s = grp.open;
            e = grp.close + 1;
            if (!grp.convertible)
                continue;
            // The group itself is the link: its braces become the field's.
            bool outerFits = false;
            const std::size_t parent = grp.parent;
            if (parent != kNone && layout_.group(parent).depth > 1 && layout_.group(parent).convertible) {
                const Group& p = layout_.group(parent);
                outerFits = !HasPositionIn(p.open, s) && !HasPositionIn(e, p.close);
            }
            if (outerFits)
                continue; // an enclosing group fits too: take the outermost
            edits_.push_back({grp.open, grp.open + 1, 1, open});
            edits_.push_back({grp.close, grp.close + 1, 0, "}}"});
            return;
        }
        const int ds = layout_.DepthAt(s), de = layout_.DepthAt(e);
        int m = std::min(ds, de);
        for (std::size_t x = s; x < e; ++x)
            m = std::min(m, layout_.DepthAt(x));
        std::string before(static_cast<std::size_t>(ds - m), '}');
        before += open;
        for (int d = m + 1; d <= ds; ++d) {
            const std::size_t g = layout_.AncestorAt(s, d);
            before += "{" + Delimited(Words(layout_.group(g).open + 1, s, d, d));
        }
        std::string after(static_cast<std::size_t>(de - m), '}');
        after += "}}";
        const std::string carried = Words(s, e, ds, m);
        after += Delimited(carried); // the state the range left at its own level
        for (int d = m + 1; d <= de; ++d) {
            const std::size_t g = layout_.AncestorAt(e, d);
            after += "{" + Delimited(Words(layout_.group(g).open + 1, e, d, d));
        }
        edits_.push_back({s, s, 1, before});
        edits_.push_back({e, e, 0, after});
    }

    void Clear() { edits_.clear(); }

    std::string Apply()
    {
        std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
            return a.from != b.from ? a.from < b.from : a.order < b.order;
        });
        std::string out;
        std::size_t at = 0;
        for (const Edit& e : edits_) {
            out.append(src_.substr(at, e.from - at));
            out += e.text;
            at = e.to;
        }
        out.append(src_.substr(at));
        return out;
    }

  private:
    bool Balanced(std::size_t s, std::size_t e) const
    {
        const int d = layout_.DepthAt(s);
        for (std::size_t x = s; x < e; ++x)
            if (layout_.DepthAt(x) < d)
                return false;
        return layout_.DepthAt(e) == d;
    }

    // The control words of [from, to) at `depth` (the scan starts at `startDepth`) that show no
    // character: replayed, they give a reopened group the state the original had there.
    std::string Words(std::size_t from, std::size_t to, int startDepth, int depth) const
    {
        std::string out;
        int d = startDepth;
        for (std::size_t x = from; x < to && x < src_.size();) {
            const char c = src_[x];
            std::string_view word;
            long long param = 0;
            std::size_t end = TokenEnd(src_, x, &word, &param);
            if (c == '{') {
                ++d;
            } else if (c == '}') {
                --d;
            } else if (d == depth && !word.empty() && !starts_[x] && word != "bin" && word != "u") {
                std::string_view text = src_.substr(x, end - x);
                while (!text.empty() && text.back() == ' ')
                    text.remove_suffix(1);
                out += text;
            }
            if (word == "bin" && param > 0)
                end = std::min(src_.size(), end + static_cast<std::size_t>(param));
            x = end;
        }
        return out;
    }

    std::string_view src_;
    Layout layout_;
    std::vector<bool> starts_;
    std::vector<Edit> edits_;
};

} // namespace

std::string PutBackLinks(std::string_view rtf, std::vector<PlacedLink> links, const std::string& file,
                         const std::string& what, Diagnostics& warnings)
{
    if (links.empty())
        return std::string(rtf);
    const std::size_t lead = rtf.find_first_not_of(" \t\r\n");
    if (lead == std::string_view::npos || rtf.substr(lead, 5) != "{\\rtf") {
        warnings.push_back({file, 0,
                            "warning: " + what + ": its text is not RTF, so it cannot hold links; its " +
                                std::to_string(links.size()) + " links are left out"});
        return std::string(rtf);
    }
    std::vector<std::uint32_t> offsets;
    const RichDocument doc = ReadRtf(rtf, &offsets);
    const auto size = static_cast<std::int32_t>(doc.text.size());
    auto warn = [&](std::string message) {
        warnings.push_back({file, 0, "warning: " + what + ": " + std::move(message)});
    };
    std::stable_sort(links.begin(), links.end(),
                     [](const PlacedLink& a, const PlacedLink& b) { return a.first < b.first; });
    Placer placer(rtf, offsets);
    std::vector<PlacedLink> kept;
    std::int32_t previousLast = -1;
    for (PlacedLink& link : links) {
        const std::string range = std::to_string(link.first) + "-" + std::to_string(link.last);
        if (link.first < 0 || link.first > link.last || link.last >= size) {
            warn("link " + range + " to \"" + link.target + "\" lies outside the text; left out");
            continue;
        }
        if (link.first <= previousLast) {
            warn("link " + range + " to \"" + link.target + "\" overlaps the link before it; left out");
            continue;
        }
        // A field cannot hold a paragraph mark, nor the final one the reader adds.
        for (std::int32_t p = link.first; p <= link.last; ++p) {
            const bool mark = doc.text[static_cast<std::size_t>(p)] == kParagraphMark;
            if (mark && (p < link.last || offsets[static_cast<std::size_t>(p)] >= rtf.size())) {
                if (p == link.first) {
                    warn("link " + range + " to \"" + link.target +
                         "\" starts on a paragraph mark; left out");
                    link.last = -1;
                } else {
                    warn("link " + range + " to \"" + link.target +
                         "\" crosses a paragraph mark; it ends at " + std::to_string(p - 1) + " instead");
                    link.last = p - 1;
                }
                break;
            }
        }
        if (link.last < link.first)
            continue;
        kept.push_back(link);
        previousLast = link.last;
    }

    // Each field must show exactly the text it covers. RTF a word processor writes always
    // allows it; damaged or unusual RTF may not (a "\*" with no word after it): the links that
    // would change the text are left out, one by one.
    const auto render = [&](const std::vector<PlacedLink>& placed) {
        placer.Clear();
        for (const PlacedLink& link : placed)
            placer.Place(placer.Span(offsets[static_cast<std::size_t>(link.first)]).first,
                         placer.Span(offsets[static_cast<std::size_t>(link.last)]).second, link.target);
        return placer.Apply();
    };
    const auto exact = [&](const std::string& out, const std::vector<PlacedLink>& placed) {
        const RichDocument again = ReadRtf(out);
        if (again.text != doc.text || again.hyperlinks.size() != doc.hyperlinks.size() + placed.size())
            return false;
        return std::all_of(placed.begin(), placed.end(), [&](const PlacedLink& link) {
            return std::any_of(again.hyperlinks.begin(), again.hyperlinks.end(), [&](const RichHyperlink& h) {
                return h.first == link.first && h.last == link.last;
            });
        });
    };
    std::string out = render(kept);
    if (exact(out, kept))
        return out;
    std::vector<PlacedLink> sound;
    for (const PlacedLink& link : kept) {
        sound.push_back(link);
        if (!exact(render(sound), sound)) {
            sound.pop_back();
            warn("link " + std::to_string(link.first) + "-" + std::to_string(link.last) + " to \"" +
                 link.target + "\" cannot be written into this RTF without changing its text; left out");
        }
    }
    return render(sound);
}

} // namespace mirelda::authoring
