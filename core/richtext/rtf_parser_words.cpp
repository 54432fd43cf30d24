// The parser's control words, sent to the group of words each belongs to, and the words of
// fonts and code pages that both readers keep. Internal to core/richtext.

#include "core/richtext/rtf_parser.h"

#include "core/richtext/rtf_shape_property.h"

namespace mirelda::rtf {

// ---- Control words -----------------------------------------------------------------------

// The dispatch: each word goes to the first group of words that takes it, in the order below.
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
    if (DocumentWordInRichDestination(kw))
        return;
    if constexpr (Rich) {
        PeekSkippedGroup(kw);
        if (ShapeDestination(kw, star))
            return;
    }
    if (IsSkippedDestination(kw)) {
        SkipRestOfGroup();
        return;
    }
    if (DocumentWord(kw, has, value) || DestinationWord(kw))
        return;
    if (star) { // an ignorable destination this reader does not know
        SkipRestOfGroup();
        return;
    }
    if (CharacterWord(kw) || WordOfDestination(kw, has, value))
        return;
    FormattingWord(kw, has, value);
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

// Words with document-wide effect inside a destination only the rich reader reads would reach
// that reader alone, since the plain reader skips these groups: they are ignored there, so that
// both keep the same code pages. True when `kw` was one.
template <bool Rich> bool Parser<Rich>::DocumentWordInRichDestination(Kw kw)
{
    if (!RichOnly(Top().dest))
        return false;
    switch (kw) {
    case Kw::k_ansi:
    case Kw::k_mac:
    case Kw::k_pc:
    case Kw::k_pca:
    case Kw::k_ansicpg:
    case Kw::k_deff:
        return true;
    case Kw::k_fonttbl:
        SkipRestOfGroup();
        return true;
    default:
        return false;
    }
}

// Groups the reader skips but takes a little from, read ahead from their opening word: a
// picture's \picprop flips, the list tables' picture bullets.
template <bool Rich> void Parser<Rich>::PeekSkippedGroup(Kw kw) requires Rich
{
    const Dest dest = Top().dest;
    if (kw == Kw::k_picprop && dest == Dest::Picture) {
        RichPicture& pic = extra_.doc.pictures[extra_.picture];
        static constexpr std::array<std::string_view, 2> kFlips{"fFlipH", "fFlipV"};
        std::array<std::string_view, 2> flips{};
        ShapePropertyValues(p_, end_, kFlips, flips);
        pic.flipHorizontal = ShapePropertyFlag(flips[0]);
        pic.flipVertical = ShapePropertyFlag(flips[1]);
    } else if (kw == Kw::k_listtable && dest == Dest::Text) {
        ScanListTable(p_, end_, extra_.listTable);
        ReadListPictures();
        for (const ListLevelPicture& level : extra_.listTable.levels) {
            if (level.level <= 8) // \ilvl's range
                extra_.pictureOfLevel.emplace(std::int64_t{level.listId} * 16 + level.level, level.picture);
        }
    } else if (kw == Kw::k_listoverridetable && dest == Dest::Text) {
        ScanListOverrides(p_, end_, extra_.listOfOverride);
    }
}

// The document's code page and default font, and Unicode characters; true when `kw` is one of
// those words.
template <bool Rich> bool Parser<Rich>::DocumentWord(Kw kw, bool has, std::int32_t value)
{
    switch (kw) {
    case Kw::k_ansi:
        docCodePage_ = 1252;
        break;
    case Kw::k_mac:
        docCodePage_ = 10000;
        break;
    case Kw::k_pc:
        docCodePage_ = 437;
        break;
    case Kw::k_pca:
        docCodePage_ = 850;
        break;
    case Kw::k_ansicpg:
        docCodePage_ = SupportedCodePage(value);
        break;
    case Kw::k_deff:
        defaultFontNumber_ = value;
        break;
    case Kw::k_uc:
        Top().uc = std::clamp(value, 0, 255);
        return true;
    case Kw::k_u:
        UnicodeWord(has, value);
        return true;
    case Kw::k_bin:
        Binary(has ? value : 0);
        return true;
    default:
        return false;
    }
    ++codePageGeneration_; // every group's code page is to be worked out again
    return true;
}

// Words that open a destination, or name a group whose content is read as it stands; true when
// `kw` is one.
template <bool Rich> bool Parser<Rich>::DestinationWord(Kw kw)
{
    State& s = Top();
    switch (kw) {
    // Destinations both readers interpret
    case Kw::k_fonttbl:
        s.dest = Dest::FontTable;
        return true;
    case Kw::k_pict:
        if (s.dest == Dest::Text)
            Picture();
        else
            SkipRestOfGroup();
        return true;
    case Kw::k_shppict:
    case Kw::k_object:
    case Kw::k_result:
    case Kw::k_shp:
    case Kw::k_shprslt:
        return true; // their content is read as it stands
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
        return true;
    case Kw::k_fldrslt:
        if constexpr (Rich) {
            if (s.dest == Dest::Text && !extra_.fields.empty()) {
                extra_.fields.back().resultDepth = stack_.size() - 1;
                extra_.fields.back().resultStart = NextPosition();
                extra_.fields.back().resultEnd = -1;
            }
        }
        return true;

    // Destinations only the rich reader reads; the plain reader skips them
    case Kw::k_colortbl:
    case Kw::k_fldinst:
    case Kw::k_pn:
    case Kw::k_pntxtb:
    case Kw::k_pntxta:
    case Kw::k_listtext:
        if constexpr (Rich) {
            if (EnterRichDestination(kw))
                return true;
        }
        SkipRestOfGroup();
        return true;
    default:
        return false;
    }
}

// Enters the destination `kw` opens, only the rich reader's, where it may stand; false when the
// group is to be skipped.
template <bool Rich> bool Parser<Rich>::EnterRichDestination(Kw kw) requires Rich
{
    State& s = Top();
    switch (kw) {
    case Kw::k_colortbl:
        // Only the first table counts: runs already hold indexes into it. Like every
        // destination only this reader reads, it is entered from text alone.
        if (s.dest != Dest::Text || extra_.colorTableSeen)
            return false;
        extra_.colorTableSeen = true;
        s.dest = Dest::ColorTable;
        return true;
    case Kw::k_fldinst:
        if (s.dest != Dest::Text || extra_.fields.empty())
            return false;
        s.dest = Dest::FieldInst;
        return true;
    case Kw::k_pn:
        if (s.dest != Dest::Text)
            return false;
        s.dest = Dest::Numbering;
        s.pnRoot = true;
        extra_.pn = PnState{};
        extra_.pn.present = true;
        return true;
    case Kw::k_pntxtb:
    case Kw::k_pntxta:
        if (s.dest != Dest::Numbering)
            return false;
        s.dest = Dest::NumberingText;
        s.numberingAfter = kw == Kw::k_pntxta;
        (s.numberingAfter ? extra_.pn.afterLength : extra_.pn.beforeLength) = 0;
        return true;
    case Kw::k_listtext:
        if (s.dest != Dest::Text)
            return false;
        s.dest = Dest::Capture;
        extra_.listText.clear();
        return true;
    default:
        return false;
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

// Words read by the table, picture, numbering or shape they stand in; true when the current
// destination is one of those.
template <bool Rich> bool Parser<Rich>::WordOfDestination(Kw kw, bool has, std::int32_t value)
{
    const Dest dest = Top().dest;
    if (dest == Dest::FontTable) {
        FontWord(kw, value);
        return true;
    }
    if constexpr (Rich) {
        switch (dest) {
        case Dest::ColorTable:
            ColorWord(kw, value);
            return true;
        case Dest::Picture:
            PictureWord(kw, value);
            return true;
        case Dest::Numbering:
            NumberingWord(kw, has, value);
            return true;
        case Dest::Shape:
            ShapeWord(kw, value);
            return true;
        case Dest::ShapeName:
            return true;
        default:
            break;
        }
    }
    return false;
}

// Words of the text's format: its font, whether it lies in a table, then the character and
// paragraph format the rich reader keeps.
template <bool Rich> void Parser<Rich>::FormattingWord(Kw kw, bool has, std::int32_t value)
{
    State& s = Top();
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

// For the readers that use them.
template void Parser<true>::Word(Kw, bool, std::int32_t);
template void Parser<false>::Word(Kw, bool, std::int32_t);
template void Parser<true>::OverflowWord(Kw, bool, std::int32_t, bool);
template void Parser<false>::OverflowWord(Kw, bool, std::int32_t, bool);
template bool Parser<true>::DocumentWordInRichDestination(Kw);
template bool Parser<false>::DocumentWordInRichDestination(Kw);
template void Parser<true>::PeekSkippedGroup(Kw);
template bool Parser<true>::DocumentWord(Kw, bool, std::int32_t);
template bool Parser<false>::DocumentWord(Kw, bool, std::int32_t);
template bool Parser<true>::DestinationWord(Kw);
template bool Parser<false>::DestinationWord(Kw);
template bool Parser<true>::EnterRichDestination(Kw);
template bool Parser<true>::CharacterWord(Kw);
template bool Parser<false>::CharacterWord(Kw);
template bool Parser<true>::WordOfDestination(Kw, bool, std::int32_t);
template bool Parser<false>::WordOfDestination(Kw, bool, std::int32_t);
template void Parser<true>::FormattingWord(Kw, bool, std::int32_t);
template void Parser<false>::FormattingWord(Kw, bool, std::int32_t);
template void Parser<true>::Binary(std::int32_t);
template void Parser<false>::Binary(std::int32_t);
template std::int32_t Parser<true>::CodePageOfFont(std::int32_t) const;
template std::int32_t Parser<false>::CodePageOfFont(std::int32_t) const;
template std::int32_t Parser<true>::CurrentCodePage();
template std::int32_t Parser<false>::CurrentCodePage();
template void Parser<true>::SetFont(std::int32_t);
template void Parser<false>::SetFont(std::int32_t);
template void Parser<true>::BeginFont(std::int32_t);
template void Parser<false>::BeginFont(std::int32_t);
template void Parser<true>::CommitFont();
template void Parser<false>::CommitFont();
template void Parser<true>::FontWord(Kw, std::int32_t);
template void Parser<false>::FontWord(Kw, std::int32_t);

} // namespace mirelda::rtf
