#pragma once
// What the rich reader builds at paragraph marks, picture ends and field ends. Internal to core/richtext;
// included by rtf_parser.h only.

#include "core/richtext/rtf_parser.h"

namespace mirelda::rtf {

// ---- Rich output -------------------------------------------------------------------------

template <bool Rich> ListMarker Parser<Rich>::MakeMarker(const ParaState& para)
{
    ListMarker marker;
    if constexpr (Rich) {
        RichExtra& x = extra_;
        const PnState& pn = para.pn;
        if (pn.present) {
            if (pn.cont)
                return marker; // a continuation paragraph: no marker, list goes on
            marker.font = pn.fontNumber < 0 ? -1 : FontIndex(pn.fontNumber);
            marker.indent = pn.indent;
            const std::u16string before(pn.before.data(), pn.beforeLength);
            const std::u16string after(pn.after.data(), pn.afterLength);
            if (pn.bullet) {
                marker.kind = ListKind::Bullet;
                // Bullets come as a byte of a symbol font (Symbol's 0xB7); show the bullet.
                const bool symbolFont = marker.font >= 0 && fonts_[marker.font].charset == 2;
                marker.text = before.empty() || symbolFont ? std::u16string(u"\u2022") : before;
                x.previousListed = false;
                return marker;
            }
            marker.kind = pn.style;
            const bool continues =
                x.previousListed && x.previousKind == pn.style && x.previousLevel == pn.level;
            marker.number = continues ? x.previousNumber + 1 : pn.start;
            marker.text = before + FormatListNumber(marker.number, marker.kind) + after;
            x.previousListed = true;
            x.previousKind = pn.style;
            x.previousLevel = pn.level;
            x.previousNumber = marker.number;
            return marker;
        }
        x.previousListed = false;
        if (para.hasListOverride && !x.listText.empty()) {
            std::u16string text = x.listText;
            while (!text.empty() && (text.back() == u' ' || text.back() == kTab))
                text.pop_back();
            if (text.empty())
                return marker;
            const bool numbered =
                std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
            marker.kind = numbered ? ListKind::Decimal : ListKind::Bullet;
            if (const std::int32_t picture = ListPictureOf(para); picture >= 0) {
                marker.kind = ListKind::Bullet;
                marker.picture = picture;
                marker.text = std::move(text); // what a reader without the picture shows
                return marker;
            }
            if (!numbered && ParseLetterLabel(text, marker.kind, marker.number)) {
                marker.text = std::move(text);
                return marker;
            }
            if (!numbered && (text == u"\u00B7" || text == u"\uF0B7"))
                text = u"\u2022";
            if (numbered) {
                for (char16_t c : text) {
                    if (c >= u'0' && c <= u'9' && marker.number < 100'000)
                        marker.number = marker.number * 10 + (c - u'0');
                }
            }
            marker.text = std::move(text);
        }
    }
    return marker;
}

template <bool Rich> void Parser<Rich>::AddParagraph(std::int32_t mark, bool rowEnd)
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        const State& s = Top();
        const ParaState& p = s.rich.para;
        RichParagraph paragraph;
        paragraph.start = x.paragraphStart;
        paragraph.mark = mark;
        ParagraphFormat& f = paragraph.format;
        f.alignment = p.alignment;
        f.leftIndent = p.leftIndent;
        f.rightIndent = p.rightIndent;
        f.firstIndent = p.firstIndent;
        f.spaceBefore = p.spaceBefore;
        f.spaceAfter = p.spaceAfter;
        f.lineSpacing = p.lineSpacing;
        f.lineMultiple = p.lineMultiple;
        f.keepTogether = p.keep;
        f.keepWithNext = p.keepNext;
        f.pageBreakBefore = p.pageBreakBefore || x.pageBreakPending;
        x.pageBreakPending = false;
        f.tabs.assign(p.tabs.begin(), p.tabs.begin() + p.tabCount);
        f.list = MakeMarker(p);
        f.tableRow = rowEnd || s.inTable;
        if (f.tableRow) {
            RichTableRow row = x.rowDefinition;
            row.start = x.paragraphStart;
            row.mark = mark;
            row.separators = std::move(x.separators);
            row.cellAlignments = std::move(x.cellAlignments);
            row.paragraphBreaks = std::move(x.paragraphBreaks);
            if (row.cellAlignments.size() > row.separators.size() + 1)
                row.cellAlignments.resize(row.separators.size() + 1);
            x.doc.tableRows.push_back(std::move(row));
            x.cellsUsed = x.rowDefinition.cells.size();
            x.cellsCarried = false;
        }
        x.separators.clear();
        x.cellAlignments.clear();
        x.paragraphBreaks.clear();
        x.doc.paragraphs.push_back(std::move(paragraph));
        x.paragraphStart = mark + 1;
        x.listText.clear();
    }
}

template <bool Rich> void Parser<Rich>::FinishPicture()
{
    if constexpr (Rich) {
        RichPicture& pic = extra_.doc.pictures[extra_.picture];
        if (const auto own = PictureKindOfData(pic.bytes); own && *own != pic.kind) {
            pic.kind = *own;
            pic.pixelWidth = pic.pixelHeight = 0;
        }
        const auto& b = pic.bytes;
        const bool png = b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G';
        const bool jpeg = b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
        // Data that is not what the picture claims to be is shown as a placeholder. Bitmaps
        // and metafiles are checked record by record when drawn; here only whether they can
        // hold their header.
        bool fits = false;
        switch (pic.kind) {
        case PictureKind::Png:
            fits = png;
            break;
        case PictureKind::Jpeg:
            fits = jpeg;
            break;
        case PictureKind::Gif:
        case PictureKind::Bmp:
            fits = true; // only ever set from the data's signature
            break;
        case PictureKind::Dib:
            fits = b.size() >= 12;
            break;
        case PictureKind::DeviceBitmap:
            fits = !b.empty();
            break;
        case PictureKind::Wmf:
            fits = b.size() >= 18;
            break;
        case PictureKind::Emf:
            fits = b.size() >= 88;
            break;
        case PictureKind::Other:
            break;
        }
        if (!fits) {
            pic.kind = PictureKind::Other;
            pic.bytes.clear();
            pic.bytes.shrink_to_fit();
        }
        extra_.picture = -1;
        extra_.hexHigh = -1;
    }
}

// The picture bullet of the paragraph's list level, read once for the whole document; -1 when
// it has none (or its picture cannot be shown).
template <bool Rich> std::int32_t Parser<Rich>::ListPictureOf(const ParaState& para) const
{
    if constexpr (Rich) {
        const RichExtra& x = extra_;
        if (x.pictureOfLevel.empty())
            return -1;
        const auto list = x.listOfOverride.find(para.listOverride);
        if (list == x.listOfOverride.end())
            return -1;
        const auto level = x.pictureOfLevel.find(std::int64_t{list->second} * 16 + para.listLevel);
        if (level == x.pictureOfLevel.end())
            return -1;
        const std::int32_t picture = level->second;
        if (picture < 0 || static_cast<std::size_t>(picture) >= x.doc.listPictures.size() ||
            x.doc.listPictures[static_cast<std::size_t>(picture)].kind == PictureKind::Other)
            return -1;
        return picture;
    }
    static_cast<void>(para);
    return -1;
}

// The \listpicture pictures, each read as a picture of its own document (within the depth
// and copy bounds of every sub-document).
template <bool Rich> void Parser<Rich>::ReadListPictures()
{
    if constexpr (Rich) {
        for (std::size_t i = extra_.doc.listPictures.size(); i < extra_.listTable.pictures.size(); ++i) {
            RichDocument read = ReadSubDocument(extra_.listTable.pictures[i]);
            auto& pictures = read.pictures;
            RichPicture picture = pictures.empty() ? RichPicture{} : std::move(pictures.front());
            picture.position = 0;
            extra_.doc.listPictures.push_back(std::move(picture));
        }
    }
}

template <bool Rich> void Parser<Rich>::FinishField(FieldState& field)
{
    if constexpr (Rich) {
        if (field.resultStart < 0 || field.resultEnd <= field.resultStart)
            return;
        HyperlinkTarget target;
        if (!ParseHyperlink(field.instruction, target))
            return;
        RichHyperlink link;
        link.first = field.resultStart;
        link.last = field.resultEnd - 1;
        link.target = std::move(target.target);
        link.anchor = std::move(target.anchor);
        extra_.doc.hyperlinks.push_back(std::move(link));
    }
}

template <bool Rich> void Parser<Rich>::FinishRuns()
{
    if constexpr (Rich) {
        const std::int32_t end = Position();
        if (end > extra_.runStart)
            extra_.doc.runs.push_back({extra_.runStart, end - extra_.runStart, extra_.runFormat});
    }
}

} // namespace mirelda::rtf
