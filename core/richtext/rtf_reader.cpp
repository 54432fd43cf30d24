#include "core/richtext/rtf_reader.h"

#include <algorithm>

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
    RichDocument doc = std::move(parser.Extra().doc);
    doc.text = std::move(parser.Text());
    doc.codePage = parser.DocumentCodePage();
    doc.fonts = std::move(parser.Fonts());
    for (RichFont& font : doc.fonts) {
        // During the read codePage held the \cpg value; now the code page actually used.
        font.codePage = rtf::FontCodePage(font.name, font.charset, font.codePage, doc.codePage);
    }
    if (parser.DefaultFontNumber() >= 0)
        doc.defaultFont = parser.FontIndex(parser.DefaultFontNumber());
    // Inner fields end first; keep the links in position order.
    std::stable_sort(doc.hyperlinks.begin(), doc.hyperlinks.end(),
                     [](const RichHyperlink& a, const RichHyperlink& b) { return a.first < b.first; });
    return doc;
}

} // namespace mirelda
