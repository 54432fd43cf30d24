#include "core/richtext/rtf_reader.h"

#include "core/richtext/article_height.h"
#include "core/richtext/rtf_parser.h"

namespace mirelda {

RichDocument ReadRtf(std::string_view rtf)
{
    return ReadRtf(rtf, nullptr);
}

RichDocument ReadRtf(std::string_view rtf, std::vector<std::uint32_t>* positionOffsets)
{
    rtf::Parser<true> parser(rtf, positionOffsets);
    parser.Run();
    return rtf::TakeDocument(parser);
}

namespace rtf {

RichDocument TakeDocument(Parser<true>& parser)
{
    RichDocument doc = std::move(parser.Extra().doc);
    doc.text = std::move(parser.Text());
    doc.codePage = parser.DocumentCodePage();
    doc.fonts = std::move(parser.Fonts());
    for (RichFont& font : doc.fonts) {
        // During the read codePage held the \cpg value; now the code page actually used.
        font.codePage = FontCodePage(font.name, font.charset, font.codePage, doc.codePage);
    }
    if (parser.DefaultFontNumber() >= 0)
        doc.defaultFont = parser.FontIndex(parser.DefaultFontNumber());
    // Inner fields end first; keep the links in position order.
    std::stable_sort(doc.hyperlinks.begin(), doc.hyperlinks.end(),
                     [](const RichHyperlink& a, const RichHyperlink& b) { return a.first < b.first; });
    // A text box is laid out as a document of its own: it gets its own bound.
    BoundArticleHeight(doc);
    return doc;
}

template <bool Rich> void Parser<Rich>::InheritTables(const Parser& parent) requires Rich
{
    subDocumentDepth_ = parent.subDocumentDepth_ + 1;
    subDocumentBudget_ = parent.subDocumentBudget_;
    fonts_ = parent.fonts_;
    fontIndex_ = parent.fontIndex_;
    docCodePage_ = parent.docCodePage_;
    defaultFontNumber_ = parent.defaultFontNumber_;
    ++codePageGeneration_;
    extra_.doc.colors = parent.extra_.doc.colors;
    extra_.colorTableSeen = true;
}

// A text box, a shape's picture or a picture bullet is read as a document of its own, with the
// article's font and colour tables, by a parser one level deeper.

template <bool Rich> RichDocument Parser<Rich>::ReadSubDocument(std::string_view body) requires Rich
{
    std::int64_t cost = static_cast<std::int64_t>(body.size()) + 16;
    for (const RichFont& font : fonts_)
        cost += static_cast<std::int64_t>(sizeof(RichFont) + 2 * font.name.size());
    cost += static_cast<std::int64_t>(extra_.doc.colors.size() * sizeof(RichColor));
    if (subDocumentDepth_ >= kMaxSubDocumentDepth || cost > *subDocumentBudget_)
        return {};
    *subDocumentBudget_ -= cost;
    std::string input;
    input.reserve(body.size() + 8);
    input += "{\\rtf1 ";
    input += body;
    input += '}';
    Parser<true> sub(input);
    sub.InheritTables(*this);
    sub.Run();
    return TakeDocument(sub);
}

template void Parser<true>::InheritTables(const Parser&);
template RichDocument Parser<true>::ReadSubDocument(std::string_view);

} // namespace rtf
} // namespace mirelda
