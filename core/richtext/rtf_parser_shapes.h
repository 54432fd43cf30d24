#pragma once
// Shapes, text boxes and nested tables. Internal to core/richtext; included by rtf_parser.h only.
//
// None of them takes a position: the rich-edit control whose numbering the model keeps skipped
// {\*\shpinst ...} and {\*\do ...} whole and read a nested table's cells as the text of the
// outer cell. So everything here only records, beside the text, what a view may draw:
//   {\shp{\*\shpinst geometry {\sp{\sn name}{\sv value}}... {\shptxt text}}{\shprslt fallback}}
//     and {\shpgrp{\*\shpinst geometry ... {\shp ...}...}{\shprslt ...}}: a RichShape anchored
//     where the group stood; its \shprslt, which both readers read as text, is noted so that a
//     view can leave it unshown when it draws the shape instead;
//   {\*\do ... \dptxbx{\dptxbxtext text} \dpx.. \dpy.. \dpxsize.. \dpysize..}: an old-style
//     text box (only when it is not a shape's fallback);
//   \itapN ... \nestcell ... {\*\nesttableprops \trowd ... \cellx ... \nestrow}: a nested row.
// A text box and a shape's picture (pib) are read as documents of their own, with this one's
// font and colour tables, by a parser one level deeper.

#include "core/richtext/rtf_parser.h"

#include <charconv>

namespace mirelda::rtf {

// The document a rich parser has read, its fonts' code pages resolved.
inline RichDocument TakeDocument(Parser<true>& parser)
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

template <bool Rich> RichDocument Parser<Rich>::ReadSubDocument(std::string_view body)
{
    if constexpr (Rich) {
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
    return {};
}

// The rest of the current group as written, its closing brace consumed (and the group closed).
template <bool Rich> std::string_view Parser<Rich>::RestOfGroup()
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
template <bool Rich> bool Parser<Rich>::ShapeDestination(Kw kw, bool star)
{
    if constexpr (Rich) {
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
    static_cast<void>(kw);
    static_cast<void>(star);
    return false;
}

// Words of a shape's instance or of an old drawing object.
template <bool Rich> void Parser<Rich>::ShapeWord(Kw kw, bool has, std::int32_t value)
{
    if constexpr (Rich) {
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
        static_cast<void>(has);
    }
}

// {\sv value} of the {\sn name} just read.
template <bool Rich> void Parser<Rich>::ShapeProperty(std::string_view value)
{
    if constexpr (Rich) {
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
        const auto twips =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(number, -kTwipsLimit, kTwipsLimit));
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
}

// A group closes at stack index `depth`: a shape's fallback or the shape itself may end here,
// or a nested row's properties.
template <bool Rich> void Parser<Rich>::ShapeGroupClosed(std::size_t depth)
{
    if constexpr (Rich) {
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
    static_cast<void>(depth);
}

template <bool Rich> void Parser<Rich>::FinishShape()
{
    if constexpr (Rich) {
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
}

// ---- Nested tables -----------------------------------------------------------------------

// The table depth of the paragraph being read: 0 outside tables, 1 in a cell of a table, 2 in
// a cell of a table inside a cell...
template <bool Rich> std::int32_t Parser<Rich>::TableDepth() const
{
    if constexpr (Rich) {
        const State& s = stack_.back();
        if (!s.inTable)
            return 0;
        return std::max(1, s.rich.para.itap);
    }
    return 0;
}

// Text is about to be written at the depth of its paragraph: open the nested rows it lies in,
// close those it has left.
template <bool Rich> void Parser<Rich>::NoteTableDepth()
{
    if constexpr (Rich) {
        const std::int32_t depth = std::min(TableDepth(), kMaxTableDepth);
        if (depth == extra_.openDepth && (depth < 2 || !extra_.nested[depth - 2].ended))
            return;
        CloseNestedRows(depth);
        OpenNestedRows(depth);
    }
}

template <bool Rich> void Parser<Rich>::OpenNestedRows(std::int32_t depth)
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        for (std::int32_t level = 2; level <= depth; ++level) {
            OpenNestedRow& open = x.nested[static_cast<std::size_t>(level - 2)];
            if (open.index >= 0 && open.ended) {
                CloseNestedRows(level - 1);
            }
            if (open.index < 0) {
                RichNestedRow row;
                row.depth = level;
                row.start = row.end = Position();
                x.doc.nestedRows.push_back(std::move(row));
                open.index = static_cast<std::int32_t>(x.doc.nestedRows.size()) - 1;
                open.ended = false;
            }
        }
        x.openDepth = std::max(x.openDepth, std::max(depth, 1));
    }
}

// Closes, here, the nested rows deeper than `depth`.
template <bool Rich> void Parser<Rich>::CloseNestedRows(std::int32_t depth)
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        const std::int32_t keep = std::max(depth, 1);
        for (std::int32_t level = x.openDepth; level > keep; --level) {
            OpenNestedRow& open = x.nested[static_cast<std::size_t>(level - 2)];
            if (open.index >= 0)
                x.doc.nestedRows[static_cast<std::size_t>(open.index)].end = Position();
            open = OpenNestedRow{};
        }
        x.openDepth = std::min(x.openDepth, keep);
    }
}

// \nestrow: the row at `depth` ends, after the tab of its last \nestcell when that is still to
// be written.
template <bool Rich> void Parser<Rich>::EndNestedRow(std::int32_t depth)
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        if (depth < 2 || depth > kMaxTableDepth || depth > x.openDepth)
            return;
        OpenNestedRow& open = x.nested[static_cast<std::size_t>(depth - 2)];
        if (open.index < 0)
            return;
        CloseNestedRows(depth);
        x.nestedPropsRow = open.index;
        if (pendingCellTab_ && x.pendingCellNested && x.pendingCellDepth == depth) {
            open.ended = true;
            return;
        }
        CloseNestedRows(depth - 1);
    }
}

// The tab of a \nestcell is being written at Position().
template <bool Rich> void Parser<Rich>::NoteNestedSeparator()
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        const std::int32_t depth = x.pendingCellDepth;
        if (depth < 2 || depth > x.openDepth)
            return;
        OpenNestedRow& open = x.nested[static_cast<std::size_t>(depth - 2)];
        if (open.index < 0)
            return;
        RichNestedRow& row = x.doc.nestedRows[static_cast<std::size_t>(open.index)];
        if (row.separators.size() < kMaxCells)
            row.separators.push_back(Position());
        if (open.ended) {
            row.end = Position() + 1;
            CloseNestedRows(depth);
            open = OpenNestedRow{};
            x.openDepth = depth - 1;
        }
    }
}

} // namespace mirelda::rtf
