// What the rich reader builds at paragraph marks, picture ends and field ends, and the shapes
// and text boxes it records. Internal to core/richtext.
//
// Shapes and text boxes take no position: the rich-edit control whose numbering the model keeps
// skipped {\*\shpinst ...} and {\*\do ...} whole. So everything here only records, beside
// the text, what a view may draw:
//   {\shp{\*\shpinst geometry {\sp{\sn name}{\sv value}}... {\shptxt text}}{\shprslt fallback}}
//     and {\shpgrp{\*\shpinst geometry ... {\shp ...}...}{\shprslt ...}}: a RichShape anchored
//     where the group stood; its \shprslt, which both readers read as text, is noted so that a
//     view can leave it unshown when it draws the shape instead;
//   {\*\do ... \dptxbx{\dptxbxtext text} \dpx.. \dpy.. \dpxsize.. \dpysize..}: an old-style
//     text box (only when it is not a shape's fallback).
// A text box and a shape's picture (pib) are read as documents of their own (rtf_reader.cpp).

#include "core/richtext/rtf_parser.h"

#include <charconv>

#include "core/richtext/picture_signature.h"

namespace mirelda::rtf {

template <bool Rich> ListMarker Parser<Rich>::MakeMarker(const ParaState& para) requires Rich
{
    ListMarker marker;
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
        const bool continues = x.previousListed && x.previousKind == pn.style && x.previousLevel == pn.level;
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
    return marker;
}

template <bool Rich> void Parser<Rich>::AddParagraph(std::int32_t mark, bool rowEnd) requires Rich
{
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

template <bool Rich> void Parser<Rich>::FinishPicture() requires Rich
{
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

// The picture bullet of the paragraph's list level, read once for the whole document; -1 when
// it has none (or its picture cannot be shown).
template <bool Rich> std::int32_t Parser<Rich>::ListPictureOf(const ParaState& para) const requires Rich
{
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

// The \listpicture pictures, each read as a picture of its own document (within the depth
// and copy bounds of every sub-document).
template <bool Rich> void Parser<Rich>::ReadListPictures() requires Rich
{
    for (std::size_t i = extra_.doc.listPictures.size(); i < extra_.listTable.pictures.size(); ++i) {
        RichDocument read = ReadSubDocument(extra_.listTable.pictures[i]);
        auto& pictures = read.pictures;
        RichPicture picture = pictures.empty() ? RichPicture{} : std::move(pictures.front());
        picture.position = 0;
        extra_.doc.listPictures.push_back(std::move(picture));
    }
}

template <bool Rich> void Parser<Rich>::FinishField(FieldState& field) requires Rich
{
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

template <bool Rich> void Parser<Rich>::FinishRuns() requires Rich
{
    const std::int32_t end = Position();
    if (end > extra_.runStart)
        extra_.doc.runs.push_back({extra_.runStart, end - extra_.runStart, extra_.runFormat});
}

// ---- Shapes and text boxes ---------------------------------------------------------------

// The rest of the current group as written, its closing brace consumed (and the group closed).
template <bool Rich> std::string_view Parser<Rich>::RestOfGroup() requires Rich
{
    const unsigned char* from = p_;
    SkipRestOfGroup();
    std::size_t length = static_cast<std::size_t>(p_ - from);
    if (length > 0 && p_[-1] == '}')
        --length;
    return {reinterpret_cast<const char*>(from), length};
}

// The destinations of shapes and nested rows, before the reader skips \shpinst and \do whole
// as both readers always did; true when `kw` was taken.
template <bool Rich> bool Parser<Rich>::ShapeDestination(Kw kw, bool star) requires Rich
{
    RichExtra& x = extra_;
    State& s = Top();
    const std::size_t depth = stack_.size() - 1;
    ShapeReading* open = x.shapes.empty() ? nullptr : &x.shapes.back();
    const bool instance = s.dest == Dest::Shape && open && !open->drawingObject;
    switch (kw) {
    case Kw::k_shp:
    case Kw::k_shpgrp: {
        if (s.dest != Dest::Text && !instance)
            return false;
        if (open && open->depth == depth)
            return true; // a second \shp in the same group
        ShapeReading reading;
        reading.depth = depth;
        reading.child = instance;
        // A shape inside another's fallback, or past the bounds: its text is read, no more.
        reading.dropped =
            (open && !instance) || x.shapeCount >= kMaxShapes || x.shapes.size() >= kMaxShapeNesting;
        reading.shape.anchor = NextPosition();
        ++x.shapeCount;
        x.shapes.push_back(std::move(reading));
        return true;
    }
    case Kw::k_shpinst:
        if (!open || open->drawingObject || open->resultDepth != 0 || open->depth >= depth ||
            (s.dest != Dest::Text && !instance) || open->dropped)
            return false;
        s.dest = Dest::Shape;
        return true;
    case Kw::k_shprslt:
        if (s.dest == Dest::Text && open && open->depth + 1 == depth && open->resultDepth == 0 &&
            !open->drawingObject) {
            open->resultDepth = depth;
            open->shape.resultFirst = NextPosition();
        }
        return true; // its content is read as it stands
    case Kw::k_do: {
        // Word writes a text box's {\*\do} as its shape's fallback: the shape is drawn.
        if (s.dest != Dest::Text || open || x.shapeCount >= kMaxShapes)
            return false;
        ShapeReading reading;
        reading.depth = depth;
        reading.drawingObject = true;
        reading.shape.anchor = NextPosition();
        reading.shape.right = reading.shape.bottom = 1440;
        ++x.shapeCount;
        x.shapes.push_back(std::move(reading));
        s.dest = Dest::Shape;
        return true;
    }
    case Kw::k_sp:
        return s.dest == Dest::Shape;
    case Kw::k_sn:
        if (s.dest != Dest::Shape)
            return false;
        s.dest = Dest::ShapeName;
        x.shapeName.clear();
        return true;
    case Kw::k_sv: {
        if (s.dest != Dest::Shape || !open)
            return false;
        // Reading the value closes its group, which may end the shape itself: the value
        // is only for the shape still open.
        const std::size_t index = x.shapes.size() - 1;
        const std::size_t shapeDepth = open->depth;
        const std::string_view value = RestOfGroup();
        if (x.shapes.size() == index + 1 && x.shapes[index].depth == shapeDepth)
            ShapeProperty(value);
        return true;
    }
    case Kw::k_shptxt:
    case Kw::k_dptxbxtext:
        if (s.dest != Dest::Shape || !open || open->drawingObject != (kw == Kw::k_dptxbxtext))
            return false;
        if (subDocumentDepth_ < kMaxSubDocumentDepth && open->shape.text.empty()) {
            const std::size_t index = x.shapes.size() - 1;
            const std::size_t shapeDepth = open->depth;
            RichDocument text = ReadSubDocument(RestOfGroup());
            if (!text.text.empty() && x.shapes.size() == index + 1 && x.shapes[index].depth == shapeDepth)
                x.shapes[index].shape.text.push_back(std::move(text));
        } else {
            SkipRestOfGroup();
        }
        return true;
    case Kw::k_nesttableprops:
        if (!star || s.dest != Dest::Text)
            return false;
        s.dest = Dest::NestedRow;
        x.savedRowDefinition = x.rowDefinition;
        x.savedNextCell = x.nextCell;
        x.savedBorder = x.border;
        x.nestedPropsRow = -1;
        return true;
    case Kw::k_nestrow:
        if (s.dest != Dest::NestedRow)
            return false;
        EndNestedRow(TableDepth());
        return true;
    default:
        return false;
    }
}

// Words of a shape's instance or of an old drawing object.
template <bool Rich> void Parser<Rich>::ShapeWord(Kw kw, std::int32_t value) requires Rich
{
    if (extra_.shapes.empty())
        return;
    RichShape& sh = extra_.shapes.back().shape;
    const std::int32_t v = ClampTwips(value);
    switch (kw) {
    case Kw::k_shpleft:
        sh.left = v;
        break;
    case Kw::k_shptop:
        sh.top = v;
        break;
    case Kw::k_shpright:
        sh.right = v;
        break;
    case Kw::k_shpbottom:
        sh.bottom = v;
        break;
    case Kw::k_dpx: {
        const std::int32_t width = sh.right - sh.left;
        sh.left = v;
        sh.right = ClampTwips(v + width);
        break;
    }
    case Kw::k_dpy: {
        const std::int32_t height = sh.bottom - sh.top;
        sh.top = v;
        sh.bottom = ClampTwips(v + height);
        break;
    }
    case Kw::k_dpxsize:
        sh.right = ClampTwips(sh.left + std::max(v, 0));
        break;
    case Kw::k_dpysize:
        sh.bottom = ClampTwips(sh.top + std::max(v, 0));
        break;
    case Kw::k_shpbxpage:
    case Kw::k_dobxpage:
        sh.horizontalFrom = ShapeReference::Page;
        break;
    case Kw::k_shpbxmargin:
    case Kw::k_dobxmargin:
        sh.horizontalFrom = ShapeReference::Margin;
        break;
    case Kw::k_shpbxcolumn:
    case Kw::k_dobxcolumn:
        sh.horizontalFrom = ShapeReference::Column;
        break;
    case Kw::k_shpbypage:
    case Kw::k_dobypage:
        sh.verticalFrom = ShapeReference::Page;
        break;
    case Kw::k_shpbymargin:
    case Kw::k_dobymargin:
        sh.verticalFrom = ShapeReference::Margin;
        break;
    case Kw::k_shpbypara:
    case Kw::k_dobypara:
        sh.verticalFrom = ShapeReference::Paragraph;
        break;
    case Kw::k_shpwr:
        sh.wrap = value == 1 ? ShapeWrap::TopAndBottom : value == 3 ? ShapeWrap::None : ShapeWrap::Around;
        break;
    default:
        break;
    }
}

// {\sv value} of the {\sn name} just read.
template <bool Rich> void Parser<Rich>::ShapeProperty(std::string_view value) requires Rich
{
    if (extra_.shapes.empty())
        return;
    const std::string& name = extra_.shapeName;
    if (name == "pib") {
        if (subDocumentDepth_ >= kMaxSubDocumentDepth || !extra_.shapes.back().shape.picture.empty())
            return;
        RichDocument holder = ReadSubDocument(value);
        if (!holder.pictures.empty())
            extra_.shapes.back().shape.picture.push_back(std::move(holder.pictures.front()));
        return;
    }
    while (!value.empty() && (value.front() == ' ' || value.front() == '\r' || value.front() == '\n'))
        value.remove_prefix(1);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc{} || end == value.data())
        return;
    RichShape& sh = extra_.shapes.back().shape;
    const auto twips = static_cast<std::int32_t>(std::clamp<std::int64_t>(number, -kTwipsLimit, kTwipsLimit));
    const auto color = static_cast<std::int32_t>(number & 0xFFFFFF);
    if (name == "fPseudoInline")
        sh.inlineShape = number != 0;
    else if (name == "posh")
        sh.horizontalAlign = static_cast<std::int32_t>(std::clamp<std::int64_t>(number, 0, 5));
    else if (name == "posrelh")
        sh.horizontalFrom = number == 1   ? ShapeReference::Page
                            : number == 0 ? ShapeReference::Margin
                                          : ShapeReference::Column;
    else if (name == "posrelv")
        sh.verticalFrom = number == 1   ? ShapeReference::Page
                          : number == 0 ? ShapeReference::Margin
                                        : ShapeReference::Paragraph;
    else if (name == "groupLeft")
        sh.groupLeft = twips;
    else if (name == "groupTop")
        sh.groupTop = twips;
    else if (name == "groupRight")
        sh.groupRight = twips;
    else if (name == "groupBottom")
        sh.groupBottom = twips;
    else if (name == "relLeft")
        sh.left = twips;
    else if (name == "relTop")
        sh.top = twips;
    else if (name == "relRight")
        sh.right = twips;
    else if (name == "relBottom")
        sh.bottom = twips;
    else if (name == "fillColor")
        sh.fillColor = color;
    else if (name == "lineColor")
        sh.lineColor = color;
    else if (name == "fFilled")
        sh.filled = number != 0;
    else if (name == "fLine")
        sh.line = number != 0;
    else if (name == "lineWidth")
        sh.lineWidth = static_cast<std::int32_t>(std::clamp<std::int64_t>(number, 0, 12700 * 20));
}

// A group closes at stack index `depth`: a shape's fallback or the shape itself may end here,
// or a nested row's properties.
template <bool Rich> void Parser<Rich>::ShapeGroupClosed(std::size_t depth) requires Rich
{
    RichExtra& x = extra_;
    if (!x.shapes.empty()) {
        ShapeReading& r = x.shapes.back();
        if (r.resultDepth == depth) {
            r.shape.resultLength = std::max(0, Position() - r.shape.resultFirst);
            r.resultDepth = 0;
        }
        if (r.depth == depth)
            FinishShape();
    }
    const State& s = stack_[depth];
    if (s.dest == Dest::NestedRow && stack_[depth - 1].dest != Dest::NestedRow) {
        if (x.nestedPropsRow >= 0) {
            RichNestedRow& row = x.doc.nestedRows[static_cast<std::size_t>(x.nestedPropsRow)];
            std::vector<Alignment> alignments = std::move(row.definition.cellAlignments);
            row.definition = x.rowDefinition;
            row.definition.cellAlignments = std::move(alignments);
        }
        x.rowDefinition = std::move(x.savedRowDefinition);
        x.nextCell = x.savedNextCell;
        x.border = x.savedBorder;
        x.nestedPropsRow = -1;
    }
}

template <bool Rich> void Parser<Rich>::FinishShape() requires Rich
{
    RichExtra& x = extra_;
    ShapeReading r = std::move(x.shapes.back());
    x.shapes.pop_back();
    if (r.resultDepth != 0)
        r.shape.resultLength = std::max(0, Position() - r.shape.resultFirst);
    if (r.dropped)
        return;
    RichShape& sh = r.shape;
    if (sh.right < sh.left)
        std::swap(sh.left, sh.right);
    if (sh.bottom < sh.top)
        std::swap(sh.top, sh.bottom);
    if (r.child) {
        if (!x.shapes.empty())
            x.shapes.back().shape.children.push_back(std::move(sh));
        return;
    }
    // Drawn where its fallback stood, or where the group ended when it had none.
    sh.anchor = sh.resultLength > 0 ? sh.resultFirst : NextPosition();
    if (sh.resultLength == 0)
        sh.resultFirst = sh.anchor;
    x.doc.shapes.push_back(std::move(sh));
}

// For the readers that use them.
template ListMarker Parser<true>::MakeMarker(const ParaState&);
template void Parser<true>::AddParagraph(std::int32_t, bool);
template void Parser<true>::FinishPicture();
template std::int32_t Parser<true>::ListPictureOf(const ParaState&) const;
template void Parser<true>::ReadListPictures();
template void Parser<true>::FinishField(FieldState&);
template void Parser<true>::FinishRuns();
template std::string_view Parser<true>::RestOfGroup();
template bool Parser<true>::ShapeDestination(Kw, bool);
template void Parser<true>::ShapeWord(Kw, std::int32_t);
template void Parser<true>::ShapeProperty(std::string_view);
template void Parser<true>::ShapeGroupClosed(std::size_t);
template void Parser<true>::FinishShape();

} // namespace mirelda::rtf
