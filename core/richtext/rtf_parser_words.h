#pragma once
// The parser's control words: destinations, fonts, character and paragraph formatting. Internal to
// core/richtext; included by rtf_parser.h only.

#include "core/richtext/rtf_parser.h"

namespace mirelda::rtf {

// ---- Control words -----------------------------------------------------------------------

template <bool Rich> void Parser<Rich>::Word(Kw kw, bool has, std::int32_t value)
{
    FlushPending();
    if (ucSkip_ > 0) {
        --ucSkip_;
        star_ = false;
        if (kw == Kw::k_bin)
            Binary(has ? value : 0);
        return;
    }
    const bool star = star_;
    star_ = false;
    if (overflow_ > 0) {
        OverflowWord(kw, has, value, star);
        return;
    }
    State& s = Top();
    if (RichOnly(s.dest)) {
        // Words with document-wide effect would reach only the rich reader here, since the
        // plain reader skips these groups: ignore them so both keep the same code pages.
        switch (kw) {
        case Kw::k_ansi:
        case Kw::k_mac:
        case Kw::k_pc:
        case Kw::k_pca:
        case Kw::k_ansicpg:
        case Kw::k_deff:
            return;
        case Kw::k_fonttbl:
            SkipRestOfGroup();
            return;
        default:
            break;
        }
    }
    if constexpr (Rich) {
        if (kw == Kw::k_picprop && s.dest == Dest::Picture && overflow_ == 0) {
            RichPicture& pic = extra_.doc.pictures[extra_.picture];
            pic.flipHorizontal = ShapePropertyFlag(ShapePropertyValue(p_, end_, "fFlipH"));
            pic.flipVertical = ShapePropertyFlag(ShapePropertyValue(p_, end_, "fFlipV"));
        }
        if (kw == Kw::k_listtable && s.dest == Dest::Text && overflow_ == 0) {
            ScanListTable(p_, end_, extra_.listTable);
            ReadListPictures();
            for (const ListLevelPicture& level : extra_.listTable.levels) {
                if (level.level <= 8) // \ilvl's range
                    extra_.pictureOfLevel.emplace(std::int64_t{level.listId} * 16 + level.level,
                                                  level.picture);
            }
        }
        if (kw == Kw::k_listoverridetable && s.dest == Dest::Text && overflow_ == 0) {
            ScanListOverrides(p_, end_, extra_.listOverrides);
            for (const auto& [ls, listId] : extra_.listOverrides)
                extra_.listOfOverride.emplace(ls, listId);
        }
        if (ShapeDestination(kw, star))
            return;
    }
    if (IsSkippedDestination(kw)) {
        SkipRestOfGroup();
        return;
    }
    switch (kw) {
    // Document
    case Kw::k_ansi:
        docCodePage_ = 1252;
        ++codePageGeneration_;
        return;
    case Kw::k_mac:
        docCodePage_ = 10000;
        ++codePageGeneration_;
        return;
    case Kw::k_pc:
        docCodePage_ = 437;
        ++codePageGeneration_;
        return;
    case Kw::k_pca:
        docCodePage_ = 850;
        ++codePageGeneration_;
        return;
    case Kw::k_ansicpg:
        docCodePage_ = SupportedCodePage(value);
        ++codePageGeneration_;
        return;
    case Kw::k_deff:
        defaultFontNumber_ = value;
        ++codePageGeneration_;
        return;
    case Kw::k_uc:
        s.uc = std::clamp(value, 0, 255);
        return;
    case Kw::k_u:
        UnicodeWord(has, value);
        return;
    case Kw::k_bin:
        Binary(has ? value : 0);
        return;

    // Destinations both readers interpret
    case Kw::k_fonttbl:
        s.dest = Dest::FontTable;
        return;
    case Kw::k_pict:
        if (s.dest == Dest::Text)
            Picture();
        else
            SkipRestOfGroup();
        return;
    case Kw::k_shppict:
    case Kw::k_object:
    case Kw::k_result:
    case Kw::k_shp:
    case Kw::k_shprslt:
        return; // their content is read as it stands
    case Kw::k_field:
        if constexpr (Rich) {
            if (s.dest == Dest::Text) {
                const std::size_t depth = stack_.size() - 1;
                if (extra_.fields.empty() || extra_.fields.back().depth != depth)
                    extra_.fields.emplace_back();
                extra_.fields.back() = FieldState{};
                extra_.fields.back().depth = depth;
            }
        }
        return;
    case Kw::k_fldrslt:
        if constexpr (Rich) {
            if (s.dest == Dest::Text && !extra_.fields.empty()) {
                extra_.fields.back().resultDepth = stack_.size() - 1;
                extra_.fields.back().resultStart = NextPosition();
                extra_.fields.back().resultEnd = -1;
            }
        }
        return;

    // Destinations only the rich reader reads; the plain reader skips them
    case Kw::k_colortbl:
        if constexpr (Rich) {
            // Only the first table counts: runs already hold indexes into it. Like every
            // destination only this reader reads, it is entered from text alone.
            if (s.dest == Dest::Text && !extra_.colorTableSeen) {
                extra_.colorTableSeen = true;
                s.dest = Dest::ColorTable;
                return;
            }
        }
        SkipRestOfGroup();
        return;
    case Kw::k_fldinst:
        if constexpr (Rich) {
            if (s.dest == Dest::Text && !extra_.fields.empty()) {
                s.dest = Dest::FieldInst;
                return;
            }
        }
        SkipRestOfGroup();
        return;
    case Kw::k_pn:
        if constexpr (Rich) {
            if (s.dest == Dest::Text) {
                s.dest = Dest::Numbering;
                s.pnRoot = true;
                extra_.pn = PnState{};
                extra_.pn.present = true;
                return;
            }
        }
        SkipRestOfGroup();
        return;
    case Kw::k_pntxtb:
    case Kw::k_pntxta:
        if constexpr (Rich) {
            if (s.dest == Dest::Numbering) {
                s.dest = Dest::NumberingText;
                s.numberingAfter = kw == Kw::k_pntxta;
                (s.numberingAfter ? extra_.pn.afterLength : extra_.pn.beforeLength) = 0;
                return;
            }
        }
        SkipRestOfGroup();
        return;
    case Kw::k_listtext:
        if constexpr (Rich) {
            if (s.dest == Dest::Text) {
                s.dest = Dest::Capture;
                extra_.listText.clear();
                return;
            }
        }
        SkipRestOfGroup();
        return;

    default:
        break;
    }
    if (star) { // an ignorable destination this reader does not know
        SkipRestOfGroup();
        return;
    }
    if (CharacterWord(kw))
        return;
    switch (s.dest) {
    case Dest::FontTable:
        FontWord(kw, value);
        return;
    case Dest::ColorTable:
        if constexpr (Rich) {
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
        return;
    case Dest::Picture:
        PictureWord(kw, value);
        return;
    case Dest::Numbering:
        NumberingWord(kw, has, value);
        return;
    case Dest::Shape:
        ShapeWord(kw, has, value);
        return;
    case Dest::ShapeName:
        return;
    default:
        break;
    }
    if (kw == Kw::k_f) {
        SetFont(value);
        return;
    }
    if (kw == Kw::k_plain)
        SetFont(-1);
    if (kw == Kw::k_pard)
        s.inTable = false;
    if (kw == Kw::k_intbl)
        s.inTable = !has || value != 0;
    if (kw == Kw::k_itap) {
        s.inTable = value > 0;
        if constexpr (Rich)
            s.rich.para.itap = std::clamp(value, 0, 1000);
    }
    if constexpr (Rich) {
        CharWord(kw, has, value);
        ParaWord(kw, has, value);
    }
}

// Beyond kMaxDepth: characters only; any destination is skipped whole.
template <bool Rich> void Parser<Rich>::OverflowWord(Kw kw, bool has, std::int32_t value, bool star)
{
    if (star || IsSkippedDestination(kw)) {
        SkipRestOfGroup();
        return;
    }
    switch (kw) {
    case Kw::k_bin:
        Binary(has ? value : 0);
        return;
    case Kw::k_u:
        UnicodeWord(has, value);
        return;
    case Kw::k_pict:
        if (Top().dest == Dest::Text) {
            if constexpr (Rich) {
                RichPicture picture;
                picture.position = NextPosition();
                extra_.doc.pictures.push_back(std::move(picture));
            }
            EmitUnit(kObjectMark);
        }
        SkipRestOfGroup();
        return;
    case Kw::k_fonttbl:
    case Kw::k_colortbl:
    case Kw::k_fldinst:
    case Kw::k_pn:
    case Kw::k_pntxtb:
    case Kw::k_pntxta:
    case Kw::k_listtext:
        SkipRestOfGroup();
        return;
    default:
        CharacterWord(kw);
        return;
    }
}

// Words that stand for characters; true when `kw` is one.
template <bool Rich> bool Parser<Rich>::CharacterWord(Kw kw)
{
    switch (kw) {
    case Kw::k_par:
    case Kw::k_sect:
    case Kw::k_page:
        Paragraph(kw);
        return true;
    case Kw::k_line:
        if (Top().dest == Dest::Text)
            EmitUnit(kLineBreak);
        return true;
    case Kw::k_tab:
        Put(kTab);
        return true;
    case Kw::k_cell:
    case Kw::k_nestcell:
        Cell(kw == Kw::k_nestcell);
        return true;
    case Kw::k_row:
        Row();
        return true;
    case Kw::k_nestrow:
        if (Top().dest == Dest::Text) {
            pendingCellTab_ = false;
            EmitUnit(kLineBreak);
            if constexpr (Rich)
                EndNestedRow(TableDepth());
        }
        return true;
    case Kw::k_emdash:
        Put(u'\u2014');
        return true;
    case Kw::k_endash:
        Put(u'\u2013');
        return true;
    case Kw::k_emspace:
    case Kw::k_enspace:
        Put(u' '); // a plain space, as the rich-edit control gives: find and whole words see one
        return true;
    case Kw::k_qmspace:
        Put(u'\u2005');
        return true;
    case Kw::k_bullet:
        Put(u'\u2022');
        return true;
    case Kw::k_lquote:
        Put(u'\u2018');
        return true;
    case Kw::k_rquote:
        Put(u'\u2019');
        return true;
    case Kw::k_ldblquote:
        Put(u'\u201C');
        return true;
    case Kw::k_rdblquote:
        Put(u'\u201D');
        return true;
    case Kw::k_zwj:
        Put(u'\u200D');
        return true;
    case Kw::k_zwnj:
        Put(u'\u200C');
        return true;
    case Kw::k_ltrmark:
        Put(u'\u200E');
        return true;
    case Kw::k_rtlmark:
        Put(u'\u200F');
        return true;
    default:
        return false;
    }
}

// \binN: N raw bytes, picture data or nothing.
template <bool Rich> void Parser<Rich>::Binary(std::int32_t count)
{
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, end_ - p_));
    if constexpr (Rich) {
        if (Top().dest == Dest::Picture && overflow_ == 0) {
            auto& bytes = extra_.doc.pictures[extra_.picture].bytes;
            bytes.insert(bytes.end(), p_, p_ + n);
        }
    }
    p_ += n;
}

// ---- Fonts and code pages ----------------------------------------------------------------

template <bool Rich> std::int32_t Parser<Rich>::CodePageOfFont(std::int32_t number) const
{
    const std::int32_t index = FontIndex(number < 0 ? defaultFontNumber_ : number);
    if (index < 0)
        return docCodePage_;
    const RichFont& font = fonts_[index];
    return FontCodePage(font.name, font.charset, font.codePage, docCodePage_);
}

template <bool Rich> std::int32_t Parser<Rich>::CurrentCodePage()
{
    State& s = Top();
    if (s.codePageGeneration != codePageGeneration_) {
        s.codePage = CodePageOfFont(s.fontNumber);
        s.codePageGeneration = codePageGeneration_;
    }
    return s.codePage;
}

template <bool Rich> void Parser<Rich>::SetFont(std::int32_t number)
{
    State& s = Top();
    s.fontNumber = number;
    s.codePageGeneration = 0;
    if constexpr (Rich)
        s.rich.chars.font = number < 0 ? -1 : FontIndex(number);
}

template <bool Rich> void Parser<Rich>::BeginFont(std::int32_t number)
{
    CommitFont();
    if (fonts_.size() >= kMaxFonts) { // a real table has tens; the rest use the default font
        lastFont_ = -1;
        return;
    }
    RichFont font;
    font.number = number;
    fonts_.push_back(std::move(font));
    lastFont_ = openFont_ = static_cast<std::int32_t>(fonts_.size()) - 1;
    openFontDepth_ = stack_.size() - 1;
    fontIndex_[number] = lastFont_;
    ++codePageGeneration_;
}

template <bool Rich> void Parser<Rich>::CommitFont()
{
    if (openFont_ < 0)
        return;
    std::u16string& name = fonts_[openFont_].name;
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    const auto first = name.find_first_not_of(u' ');
    name.erase(0, first == std::u16string::npos ? name.size() : first);
    openFont_ = -1;
    ++codePageGeneration_; // the name may make it a symbol font
}

template <bool Rich> void Parser<Rich>::FontWord(Kw kw, std::int32_t value)
{
    if (kw == Kw::k_f) {
        BeginFont(value);
        return;
    }
    if (lastFont_ < 0)
        return;
    RichFont& font = fonts_[lastFont_];
    switch (kw) {
    case Kw::k_fnil:
        font.family = FontFamily::Nil;
        break;
    case Kw::k_froman:
        font.family = FontFamily::Roman;
        break;
    case Kw::k_fswiss:
        font.family = FontFamily::Swiss;
        break;
    case Kw::k_fmodern:
        font.family = FontFamily::Modern;
        break;
    case Kw::k_fscript:
        font.family = FontFamily::Script;
        break;
    case Kw::k_fdecor:
        font.family = FontFamily::Decor;
        break;
    case Kw::k_ftech:
        font.family = FontFamily::Tech;
        break;
    case Kw::k_fbidi:
        font.family = FontFamily::Bidi;
        break;
    case Kw::k_fcharset:
        font.charset = std::clamp(value, 0, 255);
        ++codePageGeneration_;
        break;
    case Kw::k_cpg:
        font.codePage = std::max(value, 0);
        ++codePageGeneration_;
        break;
    case Kw::k_fprq:
        font.pitch = std::clamp(value, 0, 2);
        break;
    default:
        break;
    }
}

// ---- Formatting (rich reader) ------------------------------------------------------------

template <bool Rich> std::int32_t Parser<Rich>::ColorIndex(std::int32_t value) const
{
    if constexpr (Rich) {
        const auto& colors = extra_.doc.colors;
        if (value >= 0 && static_cast<std::size_t>(value) < colors.size() && !colors[value].automatic)
            return value;
    }
    return -1;
}

template <bool Rich> void Parser<Rich>::CharWord(Kw kw, bool has, std::int32_t value)
{
    if constexpr (Rich) {
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
}

template <bool Rich> void Parser<Rich>::AddTab(std::int32_t position, TabKind kind)
{
    if constexpr (Rich) {
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
}

template <bool Rich> void Parser<Rich>::ParaWord(Kw kw, bool has, std::int32_t value)
{
    if constexpr (Rich) {
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
            TableWord(kw, has, value);
            break;
        }
    }
}

// Row definition words; true when `kw` is one.
template <bool Rich> bool Parser<Rich>::TableWord(Kw kw, bool has, std::int32_t value)
{
    if constexpr (Rich) {
        RichExtra& x = extra_;
        RichTableRow& row = x.rowDefinition;
        TableCell& cell = x.nextCell;
        const std::int32_t twips = ClampTwips(value);
        CellBorder* border = nullptr;
        switch (x.border) {
        case BorderTarget::CellTop:
            border = &cell.top;
            break;
        case BorderTarget::CellLeft:
            border = &cell.left;
            break;
        case BorderTarget::CellBottom:
            border = &cell.bottom;
            break;
        case BorderTarget::CellRight:
            border = &cell.right;
            break;
        case BorderTarget::RowTop:
            border = &row.top;
            break;
        case BorderTarget::RowLeft:
            border = &row.left;
            break;
        case BorderTarget::RowBottom:
            border = &row.bottom;
            break;
        case BorderTarget::RowRight:
            border = &row.right;
            break;
        case BorderTarget::RowHorizontal:
            border = &row.horizontal;
            break;
        case BorderTarget::RowVertical:
            border = &row.vertical;
            break;
        case BorderTarget::None:
            break;
        }
        const auto style = [&](BorderStyle s) {
            if (border)
                border->style = s;
        };
        switch (kw) {
        case Kw::k_trowd: {
            x.cellPadding = {};
            x.cellPaddingInTwips = {};
            std::vector<TableCell> carried(
                row.cells.begin() + static_cast<std::ptrdiff_t>(std::min(x.cellsUsed, row.cells.size())),
                row.cells.end());
            row = RichTableRow{};
            x.cellsCarried = !carried.empty();
            row.cells = std::move(carried);
            x.cellsUsed = 0;
            cell = TableCell{};
            x.border = BorderTarget::None;
            break;
        }
        case Kw::k_cellx:
            if (x.cellsCarried) {
                row.cells.clear();
                x.cellsCarried = false;
            }
            if (row.cells.size() < kMaxCells) {
                cell.edge = twips;
                const auto padding = [&](int side) {
                    return x.cellPaddingInTwips[side] ? x.cellPadding[side] : -1;
                };
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
            row.origin = twips;
            break;
        case Kw::k_trrh:
            row.height = twips;
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
    static_cast<void>(kw);
    static_cast<void>(has);
    static_cast<void>(value);
    return false;
}

template <bool Rich> void Parser<Rich>::NumberingWord(Kw kw, bool has, std::int32_t value)
{
    if constexpr (Rich) {
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
}

template <bool Rich> void Parser<Rich>::PictureWord(Kw kw, std::int32_t value)
{
    if constexpr (Rich) {
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
}

} // namespace mirelda::rtf
