// The rich reader's format words: characters, paragraphs and their tabs, the old numbering,
// the colour table, pictures, and tables: the row definition (\trowd ... \cellx), its cells
// and borders, and nested rows. Internal to core/richtext.

#include "core/richtext/rtf_parser.h"

namespace mirelda::rtf {

// ---- Characters and paragraphs -----------------------------------------------------------

template <bool Rich> std::int32_t Parser<Rich>::ColorIndex(std::int32_t value) const requires Rich
{
    const auto& colors = extra_.doc.colors;
    if (value >= 0 && static_cast<std::size_t>(value) < colors.size() && !colors[value].automatic)
        return value;
    return -1;
}

template <bool Rich> void Parser<Rich>::CharWord(Kw kw, bool has, std::int32_t value) requires Rich
{
    CharFormat& c = Top().rich.chars;
    const bool on = !has || value != 0;
    const auto underline = [&](UnderlineKind kind) { c.underline = on ? kind : UnderlineKind::None; };
    switch (kw) {
    case Kw::k_plain: {
        const std::int32_t font = c.font;
        c = CharFormat{};
        c.font = font; // SetFont has already put the default font back
        break;
    }
    case Kw::k_b:
        c.bold = on;
        break;
    case Kw::k_i:
        c.italic = on;
        break;
    case Kw::k_strike:
    case Kw::k_striked:
        c.strike = on;
        break;
    case Kw::k_caps:
        c.caps = on;
        break;
    case Kw::k_scaps:
        c.smallCaps = on;
        break;
    case Kw::k_v:
        c.hidden = on;
        break;
    case Kw::k_ul:
        underline(UnderlineKind::Single);
        break;
    case Kw::k_ulw:
        underline(UnderlineKind::Words);
        break;
    case Kw::k_uldb:
        underline(UnderlineKind::Double);
        break;
    case Kw::k_uld:
        underline(UnderlineKind::Dotted);
        break;
    case Kw::k_uldash:
    case Kw::k_ulldash:
        underline(UnderlineKind::Dash);
        break;
    case Kw::k_uldashd:
        underline(UnderlineKind::DashDot);
        break;
    case Kw::k_uldashdd:
        underline(UnderlineKind::DashDotDot);
        break;
    case Kw::k_ulth:
    case Kw::k_ulthd:
    case Kw::k_ulthdash:
    case Kw::k_ulthdashd:
    case Kw::k_ulthdashdd:
    case Kw::k_ulthldash:
        underline(UnderlineKind::Thick);
        break;
    case Kw::k_ulwave:
    case Kw::k_ulhwave:
    case Kw::k_ululdbwave:
        underline(UnderlineKind::Wave);
        break;
    case Kw::k_ulnone:
        c.underline = UnderlineKind::None;
        break;
    case Kw::k_fs:
        c.halfPoints = has && value > 0 ? std::min(value, 3276) : 24;
        break;
    case Kw::k_cf:
        c.foreground = ColorIndex(value);
        break;
    case Kw::k_cb:
    case Kw::k_highlight:
    case Kw::k_chcbpat:
        c.background = ColorIndex(value);
        break;
    case Kw::k_super:
        c.vertical = on ? VerticalAlign::Superscript : VerticalAlign::Baseline;
        break;
    case Kw::k_sub:
        c.vertical = on ? VerticalAlign::Subscript : VerticalAlign::Baseline;
        break;
    case Kw::k_nosupersub:
        c.vertical = VerticalAlign::Baseline;
        break;
    default:
        break;
    }
}

template <bool Rich> void Parser<Rich>::AddTab(std::int32_t position, TabKind kind) requires Rich
{
    ParaState& para = Top().rich.para;
    const TabStop stop{std::clamp(position, 0, kTwipsLimit), kind, para.nextTabLeader};
    para.nextTabKind = TabKind::Left;
    para.nextTabLeader = TabLeader::None;
    auto* begin = para.tabs.data();
    auto* end = begin + para.tabCount;
    auto* at = std::lower_bound(begin, end, stop.position,
                                [](const TabStop& t, std::int32_t p) { return t.position < p; });
    if (at != end && at->position == stop.position) {
        *at = stop;
        return;
    }
    if (para.tabCount == kMaxTabs)
        return;
    std::move_backward(at, end, end + 1);
    *at = stop;
    ++para.tabCount;
}

template <bool Rich> void Parser<Rich>::ParaWord(Kw kw, bool has, std::int32_t value) requires Rich
{
    ParaState& p = Top().rich.para;
    const std::int32_t twips = ClampTwips(value);
    switch (kw) {
    case Kw::k_pard:
        p = ParaState{};
        break;
    case Kw::k_ql:
        p.alignment = Alignment::Left;
        break;
    case Kw::k_qc:
        p.alignment = Alignment::Center;
        break;
    case Kw::k_qr:
        p.alignment = Alignment::Right;
        break;
    case Kw::k_qj:
    case Kw::k_qd:
        p.alignment = Alignment::Justify;
        break;
    case Kw::k_li:
    case Kw::k_lin:
        p.leftIndent = twips;
        break;
    case Kw::k_ri:
    case Kw::k_rin:
        p.rightIndent = twips;
        break;
    case Kw::k_fi:
        p.firstIndent = twips;
        break;
    case Kw::k_sb:
        p.spaceBefore = std::max(twips, 0);
        break;
    case Kw::k_sa:
        p.spaceAfter = std::max(twips, 0);
        break;
    case Kw::k_sl:
        p.lineSpacing = twips;
        break;
    case Kw::k_slmult:
        p.lineMultiple = has && value != 0;
        break;
    case Kw::k_keep:
        p.keep = !has || value != 0;
        break;
    case Kw::k_keepn:
        p.keepNext = !has || value != 0;
        break;
    case Kw::k_pagebb:
        p.pageBreakBefore = !has || value != 0;
        break;
    case Kw::k_ls:
        p.hasListOverride = has && value != 0;
        p.listOverride = value;
        break;
    case Kw::k_ilvl:
        p.listLevel = std::clamp(value, 0, 8);
        break;
    case Kw::k_tqr:
        p.nextTabKind = TabKind::Right;
        break;
    case Kw::k_tqc:
        p.nextTabKind = TabKind::Center;
        break;
    case Kw::k_tqdec:
        p.nextTabKind = TabKind::Decimal;
        break;
    case Kw::k_tldot:
        p.nextTabLeader = TabLeader::Dots;
        break;
    case Kw::k_tlhyph:
        p.nextTabLeader = TabLeader::Hyphens;
        break;
    case Kw::k_tlul:
        p.nextTabLeader = TabLeader::Underline;
        break;
    case Kw::k_tlth:
        p.nextTabLeader = TabLeader::Thick;
        break;
    case Kw::k_tleq:
        p.nextTabLeader = TabLeader::Equals;
        break;
    case Kw::k_tx:
        AddTab(value, p.nextTabKind);
        break;
    case Kw::k_tb:
        AddTab(value, TabKind::Bar);
        break;
    default:
        TableWord(kw, value);
        break;
    }
}

// ---- Numbering, colours, pictures --------------------------------------------------------

template <bool Rich> void Parser<Rich>::NumberingWord(Kw kw, bool has, std::int32_t value) requires Rich
{
    PnState& pn = extra_.pn;
    switch (kw) {
    case Kw::k_pnlvlblt:
        pn.bullet = true;
        pn.cont = false;
        break;
    case Kw::k_pnlvlbody:
        pn.bullet = false;
        pn.cont = false;
        break;
    case Kw::k_pnlvlcont:
        pn.cont = true;
        break;
    case Kw::k_pnlvl:
        pn.level = std::clamp(value, 0, 9);
        break;
    case Kw::k_pndec:
    case Kw::k_pncard:
    case Kw::k_pnord:
    case Kw::k_pnordt:
        pn.style = ListKind::Decimal;
        break;
    case Kw::k_pnucltr:
        pn.style = ListKind::UpperLetter;
        break;
    case Kw::k_pnlcltr:
        pn.style = ListKind::LowerLetter;
        break;
    case Kw::k_pnucrm:
        pn.style = ListKind::UpperRoman;
        break;
    case Kw::k_pnlcrm:
        pn.style = ListKind::LowerRoman;
        break;
    case Kw::k_pnstart:
        pn.start = has ? std::clamp(value, 0, 1'000'000) : 1;
        break;
    case Kw::k_pnf:
        pn.fontNumber = value;
        break;
    case Kw::k_pnindent:
        pn.indent = ClampTwips(value);
        break;
    default:
        break;
    }
}

// A component of the colour table's entry being read.
template <bool Rich> void Parser<Rich>::ColorWord(Kw kw, std::int32_t value) requires Rich
{
    const auto component = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    if (kw == Kw::k_red)
        extra_.color.red = component;
    else if (kw == Kw::k_green)
        extra_.color.green = component;
    else if (kw == Kw::k_blue)
        extra_.color.blue = component;
    else
        return;
    extra_.colorHasValue = true;
}

template <bool Rich> void Parser<Rich>::PictureWord(Kw kw, std::int32_t value) requires Rich
{
    RichPicture& pic = extra_.doc.pictures[extra_.picture];
    const std::int32_t size = std::clamp(value, 0, kTwipsLimit);
    switch (kw) {
    case Kw::k_pngblip:
        pic.kind = PictureKind::Png;
        break;
    case Kw::k_jpegblip:
        pic.kind = PictureKind::Jpeg;
        break;
    case Kw::k_emfblip:
        pic.kind = PictureKind::Emf;
        break;
    case Kw::k_wmetafile:
        pic.kind = PictureKind::Wmf;
        pic.mappingMode = value >= 1 && value <= 8 ? value : 8;
        break;
    case Kw::k_dibitmap:
        pic.kind = PictureKind::Dib;
        break;
    case Kw::k_wbitmap:
        pic.kind = PictureKind::DeviceBitmap;
        break;
    case Kw::k_macpict:
    case Kw::k_pmmetafile:
        pic.kind = PictureKind::Other;
        break;
    case Kw::k_piccropl:
        pic.cropLeft = ClampTwips(value);
        break;
    case Kw::k_piccropt:
        pic.cropTop = ClampTwips(value);
        break;
    case Kw::k_piccropr:
        pic.cropRight = ClampTwips(value);
        break;
    case Kw::k_piccropb:
        pic.cropBottom = ClampTwips(value);
        break;
    case Kw::k_wbmwidthbytes:
        pic.widthBytes = std::clamp(value, 0, 1 << 20);
        break;
    case Kw::k_wbmbitspixel:
    case Kw::k_picbpp:
        pic.bitsPerPixel = std::clamp(value, 1, 64);
        break;
    case Kw::k_wbmplanes:
        pic.planes = std::clamp(value, 1, 64);
        break;
    case Kw::k_picw:
        pic.pixelWidth = size;
        break;
    case Kw::k_pich:
        pic.pixelHeight = size;
        break;
    case Kw::k_picwgoal:
        pic.goalWidth = size;
        break;
    case Kw::k_pichgoal:
        pic.goalHeight = size;
        break;
    case Kw::k_picscalex:
        pic.scaleX = std::clamp(value, 1, 10000);
        break;
    case Kw::k_picscaley:
        pic.scaleY = std::clamp(value, 1, 10000);
        break;
    default:
        break;
    }
}

// ---- Row and cell definitions ------------------------------------------------------------

// Words of the row definition in force, its cells and their borders; true when `kw` is one.
template <bool Rich> bool Parser<Rich>::TableWord(Kw kw, std::int32_t value) requires Rich
{
    return RowWord(kw, value) || CellWord(kw, value) || BorderWord(kw, value);
}

template <bool Rich> bool Parser<Rich>::RowWord(Kw kw, std::int32_t value) requires Rich
{
    RichTableRow& row = extra_.rowDefinition;
    switch (kw) {
    case Kw::k_trowd:
        StartRowDefinition();
        break;
    case Kw::k_cellx:
        EndCellDefinition(ClampTwips(value));
        break;
    case Kw::k_trgaph:
        row.gap = std::clamp(value, 0, 1440 * 4);
        break;
    case Kw::k_trpaddl:
        row.paddingLeft = std::clamp(value, 0, 1440 * 4);
        break;
    case Kw::k_trpaddr:
        row.paddingRight = std::clamp(value, 0, 1440 * 4);
        break;
    case Kw::k_trleft:
        row.origin = ClampTwips(value);
        break;
    case Kw::k_trrh:
        row.height = ClampTwips(value);
        break;
    case Kw::k_trql:
        row.alignment = Alignment::Left;
        break;
    case Kw::k_trqc:
        row.alignment = Alignment::Center;
        break;
    case Kw::k_trqr:
        row.alignment = Alignment::Right;
        break;
    default:
        return false;
    }
    return true;
}

// \trowd. Cells defined before it that no row has used yet ("\cellx1000\cellx6000\trowd") are
// carried over, unless the row defines its own.
template <bool Rich> void Parser<Rich>::StartRowDefinition() requires Rich
{
    RichExtra& x = extra_;
    RichTableRow& row = x.rowDefinition;
    x.cellPadding = {};
    x.cellPaddingInTwips = {};
    std::vector<TableCell> carried(row.cells.begin() +
                                       static_cast<std::ptrdiff_t>(std::min(x.cellsUsed, row.cells.size())),
                                   row.cells.end());
    row = RichTableRow{};
    x.cellsCarried = !carried.empty();
    row.cells = std::move(carried);
    x.cellsUsed = 0;
    x.nextCell = TableCell{};
    x.border = BorderTarget::None;
}

// \cellxN: the cell being defined ends at `edge` and joins the row definition.
template <bool Rich> void Parser<Rich>::EndCellDefinition(std::int32_t edge) requires Rich
{
    RichExtra& x = extra_;
    RichTableRow& row = x.rowDefinition;
    TableCell& cell = x.nextCell;
    if (x.cellsCarried) {
        row.cells.clear();
        x.cellsCarried = false;
    }
    if (row.cells.size() < kMaxCells) {
        cell.edge = edge;
        const auto padding = [&](int side) { return x.cellPaddingInTwips[side] ? x.cellPadding[side] : -1; };
        // Word's swap: \clpadl is the top margin, \clpadt the left one.
        cell.paddingTop = padding(0);
        cell.paddingLeft = padding(1);
        cell.paddingRight = padding(2);
        cell.paddingBottom = padding(3);
        row.cells.push_back(cell);
    }
    x.cellPadding = {};
    x.cellPaddingInTwips = {};
    cell = TableCell{};
    x.border = BorderTarget::None;
}

// Words of the cell being defined.
template <bool Rich> bool Parser<Rich>::CellWord(Kw kw, std::int32_t value) requires Rich
{
    RichExtra& x = extra_;
    TableCell& cell = x.nextCell;
    switch (kw) {
    case Kw::k_clcbpat:
        cell.background = ColorIndex(value);
        break;
    case Kw::k_clcfpat:
        cell.pattern = ColorIndex(value);
        break;
    case Kw::k_clshdng:
        cell.shading = std::clamp(value, 0, 10000);
        break;
    case Kw::k_clvertalt:
        cell.vertical = CellAlignment::Top;
        break;
    case Kw::k_clvertalc:
        cell.vertical = CellAlignment::Center;
        break;
    case Kw::k_clvertalb:
        cell.vertical = CellAlignment::Bottom;
        break;
    case Kw::k_clmgf:
        cell.mergeFirst = true;
        break;
    case Kw::k_clmrg:
        cell.merged = true;
        break;
    case Kw::k_clvmgf:
        cell.verticalMergeFirst = true;
        break;
    case Kw::k_clvmrg:
        cell.verticalMerged = true;
        break;
    case Kw::k_clpadl: // the four in the order l, t, r, b, as their units
        static_assert(int(Kw::k_clpadb) - int(Kw::k_clpadl) == 3 &&
                      int(Kw::k_clpadfb) - int(Kw::k_clpadfl) == 3);
        [[fallthrough]];
    case Kw::k_clpadt:
    case Kw::k_clpadr:
    case Kw::k_clpadb:
        x.cellPadding[static_cast<std::size_t>(kw) - static_cast<std::size_t>(Kw::k_clpadl)] =
            std::clamp(value, 0, 1440 * 4);
        break;
    case Kw::k_clpadfl:
    case Kw::k_clpadft:
    case Kw::k_clpadfr:
    case Kw::k_clpadfb:
        x.cellPaddingInTwips[static_cast<std::size_t>(kw) - static_cast<std::size_t>(Kw::k_clpadfl)] =
            value == 3;
        break;
    default:
        return false;
    }
    return true;
}

// The border that \brdrs, \brdrw, \brdrcf... apply to; null for a paragraph's or characters'
// border, which the reader does not keep.
template <bool Rich> CellBorder* Parser<Rich>::CurrentBorder() requires Rich
{
    RichTableRow& row = extra_.rowDefinition;
    TableCell& cell = extra_.nextCell;
    switch (extra_.border) {
    case BorderTarget::CellTop:
        return &cell.top;
    case BorderTarget::CellLeft:
        return &cell.left;
    case BorderTarget::CellBottom:
        return &cell.bottom;
    case BorderTarget::CellRight:
        return &cell.right;
    case BorderTarget::RowTop:
        return &row.top;
    case BorderTarget::RowLeft:
        return &row.left;
    case BorderTarget::RowBottom:
        return &row.bottom;
    case BorderTarget::RowRight:
        return &row.right;
    case BorderTarget::RowHorizontal:
        return &row.horizontal;
    case BorderTarget::RowVertical:
        return &row.vertical;
    case BorderTarget::None:
        break;
    }
    return nullptr;
}

// Words naming a border side, then its style, width and colour.
template <bool Rich> bool Parser<Rich>::BorderWord(Kw kw, std::int32_t value) requires Rich
{
    RichExtra& x = extra_;
    CellBorder* border = CurrentBorder();
    const auto style = [&](BorderStyle s) {
        if (border)
            border->style = s;
    };
    switch (kw) {
    case Kw::k_clbrdrt:
        x.border = BorderTarget::CellTop;
        break;
    case Kw::k_clbrdrl:
        x.border = BorderTarget::CellLeft;
        break;
    case Kw::k_clbrdrb:
        x.border = BorderTarget::CellBottom;
        break;
    case Kw::k_clbrdrr:
        x.border = BorderTarget::CellRight;
        break;
    case Kw::k_trbrdrt:
        x.border = BorderTarget::RowTop;
        break;
    case Kw::k_trbrdrl:
        x.border = BorderTarget::RowLeft;
        break;
    case Kw::k_trbrdrb:
        x.border = BorderTarget::RowBottom;
        break;
    case Kw::k_trbrdrr:
        x.border = BorderTarget::RowRight;
        break;
    case Kw::k_trbrdrh:
        x.border = BorderTarget::RowHorizontal;
        break;
    case Kw::k_trbrdrv:
        x.border = BorderTarget::RowVertical;
        break;
    case Kw::k_brdrt:
    case Kw::k_brdrl:
    case Kw::k_brdrb:
    case Kw::k_brdrr:
    case Kw::k_brdrbtw:
    case Kw::k_brdrbar:
    case Kw::k_box:
    case Kw::k_chbrdr:
        x.border = BorderTarget::None;
        break;
    case Kw::k_brdrs:
    case Kw::k_brdrsh:
    case Kw::k_brdrhair:
        style(BorderStyle::Single);
        break;
    case Kw::k_brdrth:
        style(BorderStyle::Thick);
        break;
    case Kw::k_brdrdb:
    case Kw::k_brdrtriple:
        style(BorderStyle::Double);
        break;
    case Kw::k_brdrdot:
        style(BorderStyle::Dotted);
        break;
    case Kw::k_brdrdash:
    case Kw::k_brdrdashsm:
        style(BorderStyle::Dashed);
        break;
    case Kw::k_brdrnone:
        style(BorderStyle::None);
        break;
    case Kw::k_brdrw:
        if (border)
            border->width = std::clamp(value, 0, 255);
        break;
    case Kw::k_brdrcf:
        if (border)
            border->color = ColorIndex(value);
        break;
    default:
        return false;
    }
    return true;
}

// ---- Nested tables -----------------------------------------------------------------------
//
// A nested table takes no position of its own: the rich-edit control whose numbering the model
// keeps read a nested table's cells as the text of the outer cell. So a nested row
//   \itapN ... \nestcell ... {\*\nesttableprops \trowd ... \cellx ... \nestrow}
// is only recorded beside the text, for a view to draw.

// The table depth of the paragraph being read: 0 outside tables, 1 in a cell of a table, 2 in
// a cell of a table inside a cell...
template <bool Rich> std::int32_t Parser<Rich>::TableDepth() const requires Rich
{
    const State& s = stack_.back();
    if (!s.inTable)
        return 0;
    return std::max(1, s.rich.para.itap);
}

// Text is about to be written at the depth of its paragraph: open the nested rows it lies in,
// close those it has left.
template <bool Rich> void Parser<Rich>::NoteTableDepth() requires Rich
{
    const std::int32_t depth = std::min(TableDepth(), kMaxTableDepth);
    if (depth == extra_.openDepth && (depth < 2 || !extra_.nested[depth - 2].ended))
        return;
    CloseNestedRows(depth);
    OpenNestedRows(depth);
}

template <bool Rich> void Parser<Rich>::OpenNestedRows(std::int32_t depth) requires Rich
{
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

// Closes, here, the nested rows deeper than `depth`.
template <bool Rich> void Parser<Rich>::CloseNestedRows(std::int32_t depth) requires Rich
{
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

// \nestrow: the row at `depth` ends, after the tab of its last \nestcell when that is still to
// be written.
template <bool Rich> void Parser<Rich>::EndNestedRow(std::int32_t depth) requires Rich
{
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

// The tab of a \nestcell is being written at Position().
template <bool Rich> void Parser<Rich>::NoteNestedSeparator() requires Rich
{
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

// For the readers that use them.
template std::int32_t Parser<true>::ColorIndex(std::int32_t) const;
template void Parser<true>::CharWord(Kw, bool, std::int32_t);
template void Parser<true>::AddTab(std::int32_t, TabKind);
template void Parser<true>::ParaWord(Kw, bool, std::int32_t);
template void Parser<true>::NumberingWord(Kw, bool, std::int32_t);
template void Parser<true>::ColorWord(Kw, std::int32_t);
template void Parser<true>::PictureWord(Kw, std::int32_t);
template bool Parser<true>::TableWord(Kw, std::int32_t);
template bool Parser<true>::RowWord(Kw, std::int32_t);
template void Parser<true>::StartRowDefinition();
template void Parser<true>::EndCellDefinition(std::int32_t);
template bool Parser<true>::CellWord(Kw, std::int32_t);
template CellBorder* Parser<true>::CurrentBorder();
template bool Parser<true>::BorderWord(Kw, std::int32_t);
template std::int32_t Parser<true>::TableDepth() const;
template void Parser<true>::NoteTableDepth();
template void Parser<true>::OpenNestedRows(std::int32_t);
template void Parser<true>::CloseNestedRows(std::int32_t);
template void Parser<true>::EndNestedRow(std::int32_t);
template void Parser<true>::NoteNestedSeparator();

} // namespace mirelda::rtf
