// The parser's driving loop: bytes, groups, skipping and emitted characters. Internal to
// core/richtext.

#include "core/richtext/rtf_parser.h"

#include <cstring>

#include "core/richtext/rtf_lexer.h"

namespace mirelda::rtf {

// ---- Driving loop ------------------------------------------------------------------------

template <bool Rich> void Parser<Rich>::Run()
{
    const unsigned char* q = FindRtfStart(p_, end_);
    if (!q) {
        RunPlainText();
        if (offsets_)
            offsets_->assign(text_.size(), 0); // not RTF: nothing to place links in
        return;
    }
    p_ = q;
    stack_.reserve(64);
    stack_.emplace_back();
    while (p_ < end_ && !done_) {
        const unsigned char c = *p_;
        const unsigned char* token = p_;
        const std::size_t before = text_.size();
        if (c == '\\') {
            ++p_;
            ControlSequence();
        } else if (c == '{') {
            ++p_;
            OpenGroup();
        } else if (c == '}') {
            ++p_;
            CloseGroup();
        } else {
            TextByte();
        }
        if (offsets_)
            NoteOffsets(token, before, c != '\\' && c != '{' && c != '}');
    }
    if (!done_)
        Finish();
    if (offsets_)
        offsets_->resize(text_.size(), static_cast<std::uint32_t>(end_ - begin_));
}

// The positions the token at `token` added start at its first byte; a run of plain text
// gives one position per byte (a pending cell tab written before it takes the run's start).
template <bool Rich>
void Parser<Rich>::NoteOffsets(const unsigned char* token, std::size_t before, bool plain)
{
    const std::size_t added = text_.size() - before;
    const std::size_t run = static_cast<std::size_t>(p_ - token);
    const auto at = static_cast<std::uint32_t>(token - begin_);
    offsets_->resize(before, at);
    for (std::size_t k = 0; k < added; ++k)
        offsets_->push_back(plain && k + run >= added ? at + static_cast<std::uint32_t>(k + run - added)
                                                      : at);
}

// Input that is not RTF: Windows-1252 text, each CR LF, CR or LF a paragraph mark.
template <bool Rich> void Parser<Rich>::RunPlainText()
{
    stack_.emplace_back();
    while (p_ < end_) {
        const unsigned char c = *p_++;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && p_ < end_ && *p_ == '\n')
                ++p_;
            EmitMark(false);
        } else if (c == '\t') {
            EmitUnit(kTab);
        } else if (c >= 0x20) {
            EmitUnit(kCp1252[c]);
        }
    }
    Finish();
}

template <bool Rich> void Parser<Rich>::TextByte()
{
    const unsigned char c = *p_;
    if (c == '\r' || c == '\n') {
        ++p_;
        return;
    }
    if (ucSkip_ > 0) {
        --ucSkip_;
        ++p_;
        return;
    }
    if constexpr (Rich) {
        if (Top().dest == Dest::Picture) {
            ++p_;
            const int nibble = HexValue(c);
            if (nibble < 0)
                return;
            if (extra_.hexHigh < 0) {
                extra_.hexHigh = nibble;
            } else {
                extra_.doc.pictures[extra_.picture].bytes.push_back(
                    static_cast<std::uint8_t>(extra_.hexHigh << 4 | nibble));
                extra_.hexHigh = -1;
            }
            return;
        }
    }
    if (c >= 0x80) {
        ++p_;
        Byte8(c);
        return;
    }
    if (c < 0x20) {
        ++p_;
        if (c == '\t') {
            FlushPending();
            Put(kTab);
        } else if (c == 0 && Top().dest == Dest::Text) {
            // A NUL byte keeps its place in the text, as the rich-edit control keeps it, and
            // shows as a space; the other control bytes show nothing.
            FlushPending();
            Put(u' ');
        }
        return;
    }
    if (!pending_.empty()) { // a multi-byte character may take an ASCII trail byte
        pending_.push_back(static_cast<char>(c));
        ++p_;
        return;
    }
    const Dest dest = Top().dest;
    if ((dest == Dest::Text || dest == Dest::Capture) && IsSymbolFontCodePage(CurrentCodePage())) {
        ++p_; // a letter of Symbol text is a Greek letter, and so on: one unit each still
        Byte8(c);
        return;
    }
    if (dest == Dest::Text) {
        const unsigned char* q = p_ + 1;
        while (q < end_ && kBytes.plainText[*q])
            ++q;
        AppendAscii(p_, q);
        p_ = q;
        return;
    }
    ++p_;
    Put(c);
}

template <bool Rich> void Parser<Rich>::ControlSequence()
{
    if (p_ >= end_)
        return;
    const unsigned char c = *p_;
    if (kBytes.letter[c]) {
        const unsigned char* word = p_;
        while (p_ < end_ && kBytes.letter[*p_])
            ++p_;
        const std::string_view letters(reinterpret_cast<const char*>(word),
                                       static_cast<std::size_t>(p_ - word));
        bool has = false;
        std::int32_t value = 0;
        ReadParameter(p_, end_, has, value);
        Word(letters.size() <= 32 ? LookupKeyword(letters) : Kw::Unknown, has, value);
        return;
    }
    ++p_;
    if (c == '\'') {
        int value = -1;
        if (p_ < end_ && HexValue(*p_) >= 0) {
            value = HexValue(*p_++);
            if (p_ < end_ && HexValue(*p_) >= 0)
                value = value * 16 + HexValue(*p_++);
        }
        star_ = false;
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        const unsigned char next = p_ < end_ ? *p_ : 0;
        if (value >= 0 && value < 16 && next > ' ' && next < 0x7F && !kBytes.skipStop[next]) {
            // A damaged escape ("\'3?"): its second character belongs to it, as word processors
            // read two characters after \' and show nothing for them. It keeps the one position
            // that character had, as a character drawn as nothing.
            ++p_;
            if constexpr (Rich) {
                if (Top().dest == Dest::Picture)
                    return;
            }
            FlushPending();
            Put(kNothingShown);
            return;
        }
        if (value >= 0) {
            if constexpr (Rich) {
                if (Top().dest == Dest::Picture)
                    return;
            }
            Byte8(static_cast<unsigned char>(value));
        }
        return;
    }
    FlushPending();
    if (ucSkip_ > 0) {
        --ucSkip_;
        star_ = false;
        return;
    }
    if (c == '*') {
        if (overflow_ > 0) {
            SkipRestOfGroup();
        } else {
            star_ = true;
        }
        return;
    }
    star_ = false;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        Put(c);
        break;
    case '~':
        Put(u'\u00A0');
        break;
    case '-':
        Put(u'\u00AD');
        break;
    case '_':
        Put(u'\u2011');
        break;
    case '\r':
    case '\n':
        Paragraph(Kw::k_par);
        break; // "\<newline>" is \par
    default:
        break; // \: \| and unknown symbols show nothing
    }
}

template <bool Rich> void Parser<Rich>::OpenGroup()
{
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0 || stack_.size() > kMaxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
    Top().pnRoot = false;
    // A group inside \pict is read on as the picture's: its \binN or hex data is the picture's
    // ("\pngblip{\bin1374 ...}"), while {\*\blipuid}, {\*\picprop} and the like are skipped
    // as ignorable destinations.
}

template <bool Rich> void Parser<Rich>::CloseGroup()
{
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1)
        return; // a '}' before any '{' cannot happen after "{\rtf"
    State& s = Top();
    const std::size_t depth = stack_.size() - 1;
    const State& parent = stack_[depth - 1];
    if constexpr (Rich) {
        if (s.dest == Dest::Picture && parent.dest != Dest::Picture)
            FinishPicture();
        if (s.pnRoot)
            stack_[depth - 1].rich.para.pn = extra_.pn;
        if (s.dest == Dest::ColorTable && parent.dest != Dest::ColorTable && extra_.colorHasValue) {
            // A last entry without its ';'.
            Put(u';');
        }
        ShapeGroupClosed(depth);
        if (!extra_.fields.empty()) {
            FieldState& f = extra_.fields.back();
            if (f.resultDepth == depth) {
                f.resultEnd = Position();
                f.resultDepth = 0;
            }
            if (f.depth == depth) {
                FinishField(f);
                extra_.fields.pop_back();
            }
        }
    }
    if (s.dest == Dest::FontTable) {
        // A sub-group before the name ({\*\panose}, {\*\falt}, embedded font data) does not
        // end the entry: only its own group, or the table's, does.
        if (depth <= openFontDepth_)
            CommitFont();
        if (parent.dest != Dest::FontTable)
            ++codePageGeneration_;
    }
    if (depth == 1) { // the document's own group: what follows it is not read
        Finish();
        done_ = true;
        return;
    }
    stack_.pop_back();
}

// Consumes the current group up to and including its closing brace, lexically: braces nest,
// "\{" "\}" "\\" are not braces, \binN data is stepped over.
template <bool Rich> void Parser<Rich>::SkipRestOfGroup()
{
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    std::size_t depth = 1;
    const unsigned char* p = p_;
    while (p < end_) {
        while (p < end_ && !kBytes.skipStop[*p])
            ++p;
        if (p >= end_)
            break;
        const unsigned char c = *p++;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) {
                p_ = p;
                CloseGroup();
                return;
            }
        } else if (p < end_) {
            if (kBytes.letter[*p]) {
                const unsigned char* word = p;
                while (p < end_ && kBytes.letter[*p])
                    ++p;
                if (p - word == 3 && std::memcmp(word, "bin", 3) == 0) {
                    bool has = false;
                    std::int32_t count = 0;
                    ReadParameter(p, end_, has, count);
                    p += std::clamp<std::int64_t>(count, 0, end_ - p);
                }
            } else {
                ++p;
            }
        }
    }
    p_ = end_;
}

template <bool Rich> void Parser<Rich>::Finish()
{
    FlushPending();
    pendingCellTab_ = false;
    if constexpr (Rich) {
        if (extra_.picture >= 0)
            FinishPicture();
        while (!extra_.shapes.empty())
            FinishShape();
        CloseNestedRows(0);
        while (!extra_.fields.empty()) {
            FieldState& f = extra_.fields.back();
            if (f.resultDepth != 0)
                f.resultEnd = Position();
            FinishField(f);
            extra_.fields.pop_back();
        }
    }
    // The last paragraph mark read merges into the final one; without one, the final mark
    // is added.
    if (text_.empty() || text_.back() != kParagraphMark)
        EmitMark(false);
    if constexpr (Rich) {
        // A shape after the last mark read is drawn before the final one, into which that mark
        // merged.
        const std::int32_t last = Position() - 1;
        for (RichShape& shape : extra_.doc.shapes) {
            shape.anchor = std::min(shape.anchor, last);
            shape.resultFirst = std::min(shape.resultFirst, last);
            shape.resultLength = std::min(shape.resultLength, Position() - shape.resultFirst);
        }
        FinishRuns();
    }
}

// ---- Characters --------------------------------------------------------------------------

// \uN: one UTF-16 unit (N is signed 16-bit in RTF), then \ucN fallback units to skip.
template <bool Rich> void Parser<Rich>::UnicodeWord(bool has, std::int32_t value)
{
    if (!has)
        return;
    char16_t unit = u'\uFFFD';
    if (value >= -32768 && value < 0)
        unit = static_cast<char16_t>(value + 65536);
    else if (value >= 0 && value <= 0xFFFF)
        unit = static_cast<char16_t>(value);
    // A symbol font's private-use code (U+F0C5 in Symbol) reads as the symbol it draws.
    if (unit >= 0xF020 && unit <= 0xF0FF && (Top().dest == Dest::Text || Top().dest == Dest::Capture)) {
        const std::int32_t codePage = CurrentCodePage();
        if (IsSymbolFontCodePage(codePage))
            unit = codePages_.SingleByte(codePage)[unit - 0xF000];
    }
    Put(unit);
    ucSkip_ = Top().uc;
}

template <bool Rich> void Parser<Rich>::Put(char16_t unit)
{
    State& s = Top();
    switch (s.dest) {
    case Dest::Text:
        if (unit < 0x20) {
            if (unit == kTab)
                EmitUnit(kTab); // other control characters show nothing
            return;
        }
        EmitUnit(unit == kObjectMark ? u'\uFFFD' : unit); // U+FFFC stands for pictures only
        return;
    case Dest::FontTable:
        if (unit == u';') {
            CommitFont();
        } else if (openFont_ >= 0 && unit >= 0x20 && fonts_[openFont_].name.size() < kMaxCapture) {
            fonts_[openFont_].name.push_back(unit);
        }
        return;
    default:
        break;
    }
    if constexpr (Rich) {
        switch (s.dest) {
        case Dest::ColorTable:
            if (unit == u';') {
                if (!extra_.colorHasValue)
                    extra_.color.automatic = true;
                extra_.doc.colors.push_back(extra_.color);
                extra_.color = RichColor{};
                extra_.colorHasValue = false;
            }
            return;
        case Dest::FieldInst:
            if (!extra_.fields.empty() && extra_.fields.back().instruction.size() < kMaxInstruction)
                extra_.fields.back().instruction.push_back(unit);
            return;
        case Dest::Capture:
            if (extra_.listText.size() < kMaxCapture)
                extra_.listText.push_back(unit);
            return;
        case Dest::ShapeName:
            if (extra_.shapeName.size() < kMaxShapeName && unit > 0x20 && unit < 0x7F)
                extra_.shapeName.push_back(static_cast<char>(unit));
            return;
        case Dest::NumberingText: {
            PnState& pn = extra_.pn;
            std::uint8_t& length = s.numberingAfter ? pn.afterLength : pn.beforeLength;
            auto& chars = s.numberingAfter ? pn.after : pn.before;
            if (length < kMaxMarkerText && unit >= 0x20)
                chars[length++] = unit;
            return;
        }
        default:
            return;
        }
    }
}

template <bool Rich> void Parser<Rich>::Byte8(unsigned char byte)
{
    const std::int32_t codePage = CurrentCodePage();
    if (!IsMultiByteCodePage(codePage)) {
        Put(codePages_.SingleByte(codePage)[byte]);
        return;
    }
    if (!pending_.empty() && pendingCodePage_ != codePage)
        FlushPending();
    pendingCodePage_ = codePage;
    pending_.push_back(static_cast<char>(byte));
}

// Bytes of a multi-byte code page are converted together, so that a double-byte character
// is one position.
template <bool Rich> void Parser<Rich>::FlushPending()
{
    if (pending_.empty())
        return;
    std::u16string units;
    codePages_.DecodeMultiByte(pendingCodePage_, pending_, units);
    pending_.clear();
    for (char16_t u : units)
        Put(u);
}

template <bool Rich> void Parser<Rich>::EmitUnit(char16_t unit)
{
    EmitPendingCellTab();
    if constexpr (Rich)
        NoteTableDepth();
    Append(unit);
}

// The tab of the last \cell, now that the row goes on. It keeps the format of the cell it
// closes, so that the next cell's hidden or bold text, or a link that opens it, starts after it.
template <bool Rich> void Parser<Rich>::EmitPendingCellTab()
{
    if (!pendingCellTab_)
        return;
    pendingCellTab_ = false;
    if constexpr (Rich) {
        CheckRun(extra_.cellTabFormat);
        if (!extra_.pendingCellNested)
            extra_.separators.push_back(Position());
        else
            NoteNestedSeparator();
    }
    text_.push_back(kTab);
}

template <bool Rich> void Parser<Rich>::EmitMark(bool rowEnd)
{
    pendingCellTab_ = false;
    if constexpr (Rich)
        CloseNestedRows(0);
    const std::int32_t mark = Position();
    Append(kParagraphMark);
    if constexpr (Rich)
        AddParagraph(mark, rowEnd);
}

template <bool Rich> void Parser<Rich>::Append(char16_t unit)
{
    if constexpr (Rich)
        CheckRun();
    text_.push_back(unit);
}

template <bool Rich> void Parser<Rich>::AppendAscii(const unsigned char* from, const unsigned char* to)
{
    EmitPendingCellTab();
    if constexpr (Rich) {
        NoteTableDepth();
        CheckRun();
    }
    const std::size_t base = text_.size();
    const std::size_t n = static_cast<std::size_t>(to - from);
    text_.resize(base + n);
    char16_t* out = text_.data() + base;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = from[i];
}

template <bool Rich> void Parser<Rich>::CheckRun() requires Rich
{
    if constexpr (Rich)
        CheckRun(Top().rich.chars);
}

template <bool Rich> void Parser<Rich>::CheckRun(const CharFormat& format) requires Rich
{
    if (format == extra_.runFormat)
        return;
    const std::int32_t here = Position();
    if (here > extra_.runStart) {
        extra_.doc.runs.push_back({extra_.runStart, here - extra_.runStart, extra_.runFormat});
    }
    extra_.runStart = here;
    extra_.runFormat = format;
}

template <bool Rich> void Parser<Rich>::Paragraph(Kw kw)
{
    State& s = Top();
    if (s.dest != Dest::Text)
        return;
    // A table row stays one paragraph: a \page inside it keeps its one position, drawn as
    // nothing, since a page cannot break inside a cell (word processors run the cell's text on).
    if (kw == Kw::k_page && s.inTable) {
        EmitUnit(kNothingShown);
        return;
    }
    // A \par inside a row is one line-break position, which keeps the format of the cell's
    // paragraph it ends.
    if (kw == Kw::k_par && s.inTable) {
        EmitUnit(kLineBreak);
        if constexpr (Rich) {
            const ParaState& p = s.rich.para;
            extra_.paragraphBreaks.push_back({Position() - 1, p.alignment, p.leftIndent, p.rightIndent,
                                              p.firstIndent, p.spaceBefore, p.spaceAfter});
        }
        return;
    }
    EmitMark(false);
    if constexpr (Rich) {
        if (kw == Kw::k_page)
            extra_.pageBreakPending = true;
    }
}

// Cells are separated by tabs: a \cell's tab is written when more of the row follows, so the
// row's last \cell before \row adds nothing. Whatever records a position meanwhile (a link's
// first character, a picture) takes NextPosition(), past the tab still to come.
template <bool Rich> void Parser<Rich>::Cell(bool nested)
{
    if (Top().dest != Dest::Text)
        return;
    EmitPendingCellTab();
    if constexpr (Rich) {
        // A nested cell, even an empty one, lies in its row; an outer cell ends every row
        // nested in it.
        if (nested) {
            NoteTableDepth();
            extra_.pendingCellDepth = TableDepth();
            const std::int32_t depth = std::min(extra_.pendingCellDepth, extra_.openDepth);
            if (depth >= 2 && extra_.nested[static_cast<std::size_t>(depth - 2)].index >= 0) {
                auto& row = extra_.doc.nestedRows[static_cast<std::size_t>(
                    extra_.nested[static_cast<std::size_t>(depth - 2)].index)];
                if (row.definition.cellAlignments.size() < kMaxCells)
                    row.definition.cellAlignments.push_back(Top().rich.para.alignment);
            }
        } else {
            CloseNestedRows(1);
        }
    }
    pendingCellTab_ = true;
    if constexpr (Rich) {
        extra_.cellTabFormat = Top().rich.chars;
        extra_.pendingCellNested = nested;
        if (!nested)
            extra_.cellAlignments.push_back(Top().rich.para.alignment);
    }
}

template <bool Rich> void Parser<Rich>::Row()
{
    if (Top().dest != Dest::Text)
        return;
    EmitMark(true);
}

template <bool Rich> void Parser<Rich>::Picture()
{
    if constexpr (Rich) {
        if (extra_.picture >= 0)
            FinishPicture(); // cannot happen from text; keep each picture sound regardless
        RichPicture picture;
        picture.position = NextPosition();
        extra_.doc.pictures.push_back(std::move(picture));
        EmitUnit(kObjectMark);
        extra_.picture = static_cast<std::int32_t>(extra_.doc.pictures.size()) - 1;
        extra_.hexHigh = -1;
        Top().dest = Dest::Picture;
    } else {
        EmitUnit(kObjectMark);
        SkipRestOfGroup();
    }
}

// For the readers that use them.
template void Parser<true>::Run();
template void Parser<false>::Run();
template void Parser<true>::NoteOffsets(const unsigned char*, std::size_t, bool);
template void Parser<false>::NoteOffsets(const unsigned char*, std::size_t, bool);
template void Parser<true>::RunPlainText();
template void Parser<false>::RunPlainText();
template void Parser<true>::TextByte();
template void Parser<false>::TextByte();
template void Parser<true>::ControlSequence();
template void Parser<false>::ControlSequence();
template void Parser<true>::OpenGroup();
template void Parser<false>::OpenGroup();
template void Parser<true>::CloseGroup();
template void Parser<false>::CloseGroup();
template void Parser<true>::SkipRestOfGroup();
template void Parser<false>::SkipRestOfGroup();
template void Parser<true>::Finish();
template void Parser<false>::Finish();
template void Parser<true>::UnicodeWord(bool, std::int32_t);
template void Parser<false>::UnicodeWord(bool, std::int32_t);
template void Parser<true>::Put(char16_t);
template void Parser<false>::Put(char16_t);
template void Parser<true>::Byte8(unsigned char);
template void Parser<false>::Byte8(unsigned char);
template void Parser<true>::FlushPending();
template void Parser<false>::FlushPending();
template void Parser<true>::EmitUnit(char16_t);
template void Parser<false>::EmitUnit(char16_t);
template void Parser<true>::EmitPendingCellTab();
template void Parser<false>::EmitPendingCellTab();
template void Parser<true>::EmitMark(bool);
template void Parser<false>::EmitMark(bool);
template void Parser<true>::Append(char16_t);
template void Parser<false>::Append(char16_t);
template void Parser<true>::AppendAscii(const unsigned char*, const unsigned char*);
template void Parser<false>::AppendAscii(const unsigned char*, const unsigned char*);
template void Parser<true>::CheckRun();
template void Parser<true>::CheckRun(const CharFormat&);
template void Parser<true>::Paragraph(Kw);
template void Parser<false>::Paragraph(Kw);
template void Parser<true>::Cell(bool);
template void Parser<false>::Cell(bool);
template void Parser<true>::Row();
template void Parser<false>::Row();
template void Parser<true>::Picture();
template void Parser<false>::Picture();

} // namespace mirelda::rtf
