#pragma once
// The RTF parser core that ReadRtf (Rich = true) and ExtractPlainText (Rich = false) share, so
// that the two can never number a character differently. Internal to core/richtext.
//
// Shape of the input (RTF 1.9.1):
//   {\rtf1\ansi\ansicpg1252\deff0 {\fonttbl ...}{\colortbl ...}{\stylesheet ...} body }
//   group      '{' ... '}'          saves and restores the formatting state
//   word       '\' letters [-]digits [' ']   e.g. \par, \fs24, \u8364
//   symbol     '\' one non-letter    \~ \- \_ \{ \} \\ \* \'hh
//   text       any other byte; raw CR and LF are ignored
//
// One position is emitted only while the current destination is Text. Every destination that
// only the rich reader interprets (colour table, picture data, field instruction, numbering,
// list text) is entered from Text and never leads back to Text, and the plain reader skips it
// whole; so both readers see the same Text groups at the same depths and emit the same units.
//
// Bounds: the group stack holds at most kMaxDepth states. Deeper groups are only counted: their
// text is kept, their formatting words are ignored and any destination in them is skipped.
// Skipped groups are consumed by a lexical scan that pushes nothing. Every emitted unit
// consumes at least one input byte, except the final paragraph mark.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/richtext/code_page.h"
#include "core/richtext/document.h"
#include "core/richtext/rtf_keywords.h"

namespace mirelda::rtf {

inline constexpr std::size_t kMaxDepth = 1024;
inline constexpr std::int32_t kParamLimit = 1'000'000'000;
inline constexpr std::int32_t kTwipsLimit = 1 << 20;
inline constexpr std::size_t kMaxTabs = 32;         // the rich-edit control keeps 32 tab stops
inline constexpr std::size_t kMaxCells = 64;
inline constexpr std::size_t kMaxMarkerText = 16;   // \pntxtb / \pntxta
inline constexpr std::size_t kMaxCapture = 256;     // font names, \listtext
inline constexpr std::size_t kMaxInstruction = 4096;

enum class Dest : std::uint8_t {
    Text,
    FontTable,
    ColorTable,     // rich only
    Picture,        // rich only
    FieldInst,      // rich only
    Capture,        // \listtext, rich only
    Numbering,      // \pn, rich only
    NumberingText,  // \pntxtb, \pntxta, rich only
};

inline bool RichOnly(Dest dest) { return dest != Dest::Text && dest != Dest::FontTable; }

// ---- Helpers defined in rtf_parser.cpp --------------------------------------------------

struct HyperlinkTarget {
    std::u16string target;
    std::u16string anchor;
};
// The target of a HYPERLINK field instruction; false for any other field.
bool ParseHyperlink(std::u16string_view instruction, HyperlinkTarget& out);

// "3", "c", "iii", "C" ... for a numbered list marker.
std::u16string FormatListNumber(std::int32_t number, ListKind kind);

// ---- Formatting state kept per group (rich reader only) ---------------------------------

struct PnState {
    bool present = false;
    bool bullet = false;
    bool cont = false;
    ListKind style = ListKind::Decimal;
    std::int32_t start = 1;
    std::int32_t level = 0;
    std::int32_t fontNumber = -1;
    std::int32_t indent = 0;
    std::uint8_t beforeLength = 0;
    std::uint8_t afterLength = 0;
    std::array<char16_t, kMaxMarkerText> before{};
    std::array<char16_t, kMaxMarkerText> after{};
};

struct ParaState {
    Alignment alignment = Alignment::Left;
    std::int32_t leftIndent = 0;
    std::int32_t rightIndent = 0;
    std::int32_t firstIndent = 0;
    std::int32_t spaceBefore = 0;
    std::int32_t spaceAfter = 0;
    std::int32_t lineSpacing = 0;
    bool lineMultiple = false;
    bool keep = false;
    bool keepNext = false;
    bool pageBreakBefore = false;
    bool hasListOverride = false;  // \lsN: a list whose table we skip; its \listtext stands in
    TabKind nextTabKind = TabKind::Left;
    TabLeader nextTabLeader = TabLeader::None;
    std::uint8_t tabCount = 0;
    std::array<TabStop, kMaxTabs> tabs{};
    PnState pn;
};

struct RichState {
    CharFormat chars;
    ParaState para;
};

struct NoState {};

template <bool Rich>
struct GroupState {
    Dest dest = Dest::Text;
    bool inTable = false;         // \intbl: a \par inside a row is a line break
    bool pnRoot = false;          // the group that opened \pn
    bool numberingAfter = false;  // \pntxta rather than \pntxtb
    std::int32_t uc = 1;          // \ucN: units to skip after \uN
    std::int32_t fontNumber = -1; // -1: the default font
    std::int32_t codePage = 1252;
    std::uint32_t codePageGeneration = 0;
    [[no_unique_address]] std::conditional_t<Rich, RichState, NoState> rich;
};

struct FieldState {
    std::size_t depth = 0;         // stack index of the \field group
    std::size_t resultDepth = 0;   // stack index of the \fldrslt group, 0 when none open
    std::int32_t resultStart = -1;
    std::int32_t resultEnd = -1;
    std::u16string instruction;
};

struct RichExtra {
    RichDocument doc;
    std::int32_t runStart = 0;
    CharFormat runFormat;
    std::int32_t paragraphStart = 0;
    std::vector<FieldState> fields;
    std::int32_t picture = -1;     // index of the picture being read
    int hexHigh = -1;
    RichColor color;
    bool colorHasValue = false;
    bool colorTableSeen = false;
    PnState pn;                    // the \pn group being read
    std::u16string listText;
    std::vector<std::int32_t> cellEdges;
    bool pageBreakPending = false;
    // The numbering sequence of the paragraphs read so far.
    bool previousListed = false;
    ListKind previousKind = ListKind::None;
    std::int32_t previousLevel = 0;
    std::int32_t previousNumber = 0;
};

struct NoExtra {};

// ---- Byte classes ------------------------------------------------------------------------

struct ByteClasses {
    std::array<bool, 256> plainText{};  // printable ASCII other than '\\', '{', '}'
    std::array<bool, 256> skipStop{};   // '\\', '{', '}'
    std::array<bool, 256> letter{};

    constexpr ByteClasses() {
        for (int c = 0x20; c < 0x7F; ++c) plainText[c] = c != '\\' && c != '{' && c != '}';
        skipStop['\\'] = skipStop['{'] = skipStop['}'] = true;
        for (int c = 'a'; c <= 'z'; ++c) letter[c] = true;
        for (int c = 'A'; c <= 'Z'; ++c) letter[c] = true;
    }
};
inline constexpr ByteClasses kBytes{};

inline int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A control word's parameter: [-]digits, clamped; then the optional space delimiter.
inline void ReadParameter(const unsigned char*& p, const unsigned char* end, bool& has,
                          std::int32_t& value) {
    has = false;
    value = 0;
    bool negative = false;
    if (p < end && *p == '-' && p + 1 < end && p[1] >= '0' && p[1] <= '9') {
        negative = true;
        ++p;
    }
    std::int64_t v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (v < kParamLimit) v = v * 10 + (*p - '0');
        ++p;
        has = true;
    }
    v = std::min<std::int64_t>(v, kParamLimit);
    value = static_cast<std::int32_t>(negative ? -v : v);
    if (p < end && *p == ' ') ++p;
}

inline std::int32_t ClampTwips(std::int32_t v) { return std::clamp(v, -kTwipsLimit, kTwipsLimit); }

// ---- The parser --------------------------------------------------------------------------

template <bool Rich>
class Parser {
public:
    explicit Parser(std::string_view input)
        : p_(reinterpret_cast<const unsigned char*>(input.data())), end_(p_ + input.size()) {
        text_.reserve(input.size() / 4 + 16);
    }

    void Run();

    std::u16string& Text() { return text_; }
    RichExtra& Extra() requires Rich { return extra_; }
    std::vector<RichFont>& Fonts() { return fonts_; }
    std::int32_t DocumentCodePage() const { return docCodePage_; }
    std::int32_t DefaultFontNumber() const { return defaultFontNumber_; }
    std::int32_t FontIndex(std::int32_t number) const {
        auto it = fontIndex_.find(number);
        return it == fontIndex_.end() ? -1 : it->second;
    }
    std::int32_t CodePageOfFont(std::int32_t number) const;

private:
    using State = GroupState<Rich>;

    State& Top() { return stack_.back(); }
    std::int32_t Position() const { return static_cast<std::int32_t>(text_.size()); }

    void RunPlainText();
    void TextByte();
    void ControlSequence();
    void Word(Kw kw, bool has, std::int32_t value);
    void OverflowWord(Kw kw, bool has, std::int32_t value, bool star);
    bool CharacterWord(Kw kw);
    void OpenGroup();
    void CloseGroup();
    void SkipRestOfGroup();
    void Finish();

    // Characters
    void Put(char16_t unit);
    void Byte8(unsigned char byte);
    void FlushPending();
    void EmitUnit(char16_t unit);
    void EmitMark(bool rowEnd);
    void Append(char16_t unit);
    void AppendAscii(const unsigned char* from, const unsigned char* to);
    void CheckRun();
    void Paragraph(Kw kw);
    void Cell();
    void Row();
    void Picture();
    void Binary(std::int32_t count);
    void UnicodeWord(bool has, std::int32_t value);

    // State
    std::int32_t CurrentCodePage();
    void SetFont(std::int32_t number);
    void BeginFont(std::int32_t number);
    void CommitFont();
    void FontWord(Kw kw, std::int32_t value);
    void CharWord(Kw kw, bool has, std::int32_t value);
    void ParaWord(Kw kw, bool has, std::int32_t value);
    void NumberingWord(Kw kw, bool has, std::int32_t value);
    void PictureWord(Kw kw, std::int32_t value);
    std::int32_t ColorIndex(std::int32_t value) const;
    void AddTab(std::int32_t position, TabKind kind);

    // Rich output
    void AddParagraph(std::int32_t mark, bool rowEnd);
    ListMarker MakeMarker(const ParaState& para);
    void FinishPicture();
    void FinishField(FieldState& field);
    void FinishRuns();

    const unsigned char* p_;
    const unsigned char* end_;
    std::u16string text_;
    std::vector<State> stack_;
    std::size_t overflow_ = 0;      // groups opened beyond kMaxDepth, still open
    std::int32_t ucSkip_ = 0;       // fallback units still to skip after \uN
    bool star_ = false;             // a \* announced the next word as a destination
    bool pendingCellTab_ = false;   // a \cell whose tab is written only if the row goes on
    bool done_ = false;
    std::string pending_;           // bytes of a multi-byte code page awaiting conversion
    std::int32_t pendingCodePage_ = 0;
    CodePageCache codePages_;
    std::int32_t docCodePage_ = 1252;
    std::int32_t defaultFontNumber_ = -1;
    std::uint32_t codePageGeneration_ = 1;
    std::vector<RichFont> fonts_;   // RichFont::codePage holds \cpg until the end
    std::unordered_map<std::int32_t, std::int32_t> fontIndex_;
    std::int32_t openFont_ = -1;    // font entry whose name is being read
    std::int32_t lastFont_ = -1;    // font entry that font-table words apply to
    [[no_unique_address]] std::conditional_t<Rich, RichExtra, NoExtra> extra_;
};

// ---- Driving loop ------------------------------------------------------------------------

template <bool Rich>
void Parser<Rich>::Run() {
    const unsigned char* q = p_;
    while (q < end_ && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
    if (end_ - q < 5 || std::memcmp(q, "{\\rtf", 5) != 0) {
        RunPlainText();
        return;
    }
    p_ = q;
    stack_.reserve(64);
    stack_.emplace_back();
    while (p_ < end_ && !done_) {
        const unsigned char c = *p_;
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
    }
    if (!done_) Finish();
}

// Input that is not RTF: Windows-1252 text, each CR LF, CR or LF a paragraph mark.
template <bool Rich>
void Parser<Rich>::RunPlainText() {
    stack_.emplace_back();
    while (p_ < end_) {
        const unsigned char c = *p_++;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && p_ < end_ && *p_ == '\n') ++p_;
            EmitMark(false);
        } else if (c == '\t') {
            EmitUnit(kTab);
        } else if (c >= 0x20) {
            EmitUnit(kCp1252[c]);
        }
    }
    Finish();
}

template <bool Rich>
void Parser<Rich>::TextByte() {
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
            if (nibble < 0) return;
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
        }
        return;
    }
    if (!pending_.empty()) {  // a multi-byte character may take an ASCII trail byte
        pending_.push_back(static_cast<char>(c));
        ++p_;
        return;
    }
    if (Top().dest == Dest::Text) {
        const unsigned char* q = p_ + 1;
        while (q < end_ && kBytes.plainText[*q]) ++q;
        AppendAscii(p_, q);
        p_ = q;
        return;
    }
    ++p_;
    Put(c);
}

template <bool Rich>
void Parser<Rich>::ControlSequence() {
    if (p_ >= end_) return;
    const unsigned char c = *p_;
    if (kBytes.letter[c]) {
        const unsigned char* word = p_;
        while (p_ < end_ && kBytes.letter[*p_]) ++p_;
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
            if (p_ < end_ && HexValue(*p_) >= 0) value = value * 16 + HexValue(*p_++);
        }
        star_ = false;
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        if (value >= 0) {
            if constexpr (Rich) {
                if (Top().dest == Dest::Picture) return;
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
        case '\\': case '{': case '}': Put(c); break;
        case '~': Put(u'\u00A0'); break;
        case '-': Put(u'\u00AD'); break;
        case '_': Put(u'\u2011'); break;
        case '\r': case '\n': Paragraph(Kw::k_par); break;  // "\<newline>" is \par
        default: break;  // \: \| and unknown symbols show nothing
    }
}

template <bool Rich>
void Parser<Rich>::OpenGroup() {
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0 || stack_.size() > kMaxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
    State& s = Top();
    s.pnRoot = false;
    if constexpr (Rich) {
        if (s.dest == Dest::Picture) SkipRestOfGroup();  // \blipuid, \picprop...: no pixels
    }
}

template <bool Rich>
void Parser<Rich>::CloseGroup() {
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1) return;  // a '}' before any '{' cannot happen after "{\rtf"
    State& s = Top();
    const std::size_t depth = stack_.size() - 1;
    const State& parent = stack_[depth - 1];
    if constexpr (Rich) {
        if (s.dest == Dest::Picture && parent.dest != Dest::Picture) FinishPicture();
        if (s.pnRoot) stack_[depth - 1].rich.para.pn = extra_.pn;
        if (s.dest == Dest::ColorTable && parent.dest != Dest::ColorTable && extra_.colorHasValue) {
            // A last entry without its ';'.
            Put(u';');
        }
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
        CommitFont();
        if (parent.dest != Dest::FontTable) ++codePageGeneration_;
    }
    if (depth == 1) {  // the document's own group: what follows it is not read
        Finish();
        done_ = true;
        return;
    }
    stack_.pop_back();
}

// Consumes the current group up to and including its closing brace, lexically: braces nest,
// "\{" "\}" "\\" are not braces, \binN data is stepped over.
template <bool Rich>
void Parser<Rich>::SkipRestOfGroup() {
    FlushPending();
    ucSkip_ = 0;
    star_ = false;
    std::size_t depth = 1;
    const unsigned char* p = p_;
    while (p < end_) {
        while (p < end_ && !kBytes.skipStop[*p]) ++p;
        if (p >= end_) break;
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
                while (p < end_ && kBytes.letter[*p]) ++p;
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

template <bool Rich>
void Parser<Rich>::Finish() {
    FlushPending();
    pendingCellTab_ = false;
    if constexpr (Rich) {
        if (extra_.picture >= 0) FinishPicture();
        while (!extra_.fields.empty()) {
            FieldState& f = extra_.fields.back();
            if (f.resultDepth != 0) f.resultEnd = Position();
            FinishField(f);
            extra_.fields.pop_back();
        }
    }
    // The last paragraph mark read merges into the final one; without one, the final mark
    // is added.
    if (text_.empty() || text_.back() != kParagraphMark) EmitMark(false);
    if constexpr (Rich) FinishRuns();
}

// ---- Control words -----------------------------------------------------------------------

template <bool Rich>
void Parser<Rich>::Word(Kw kw, bool has, std::int32_t value) {
    FlushPending();
    if (ucSkip_ > 0) {
        --ucSkip_;
        star_ = false;
        if (kw == Kw::k_bin) Binary(has ? value : 0);
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
            case Kw::k_ansi: case Kw::k_mac: case Kw::k_pc: case Kw::k_pca: case Kw::k_ansicpg:
            case Kw::k_deff:
                return;
            case Kw::k_fonttbl: SkipRestOfGroup(); return;
            default: break;
        }
    }
    switch (kw) {
        // Document
        case Kw::k_ansi: docCodePage_ = 1252; ++codePageGeneration_; return;
        case Kw::k_mac: docCodePage_ = 10000; ++codePageGeneration_; return;
        case Kw::k_pc: docCodePage_ = 437; ++codePageGeneration_; return;
        case Kw::k_pca: docCodePage_ = 850; ++codePageGeneration_; return;
        case Kw::k_ansicpg: docCodePage_ = SupportedCodePage(value); ++codePageGeneration_; return;
        case Kw::k_deff: defaultFontNumber_ = value; ++codePageGeneration_; return;
        case Kw::k_uc: s.uc = std::clamp(value, 0, 255); return;
        case Kw::k_u: UnicodeWord(has, value); return;
        case Kw::k_bin: Binary(has ? value : 0); return;

        // Destinations both readers interpret
        case Kw::k_fonttbl: s.dest = Dest::FontTable; return;
        case Kw::k_pict:
            if (s.dest == Dest::Text) Picture(); else SkipRestOfGroup();
            return;
        case Kw::k_shppict: case Kw::k_object: case Kw::k_result: case Kw::k_shp:
        case Kw::k_shprslt:
            return;  // their content is read as it stands
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
                    extra_.fields.back().resultStart = Position();
                    extra_.fields.back().resultEnd = -1;
                }
            }
            return;

        // Destinations only the rich reader reads; the plain reader skips them
        case Kw::k_colortbl:
            if constexpr (Rich) {
                // Only the first table counts: runs already hold indexes into it.
                if (!extra_.colorTableSeen) {
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
        case Kw::k_pntxtb: case Kw::k_pntxta:
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

        // Destinations nobody reads
        case Kw::k_pntext: case Kw::k_nonshppict: case Kw::k_stylesheet: case Kw::k_info:
        case Kw::k_header: case Kw::k_headerl: case Kw::k_headerr: case Kw::k_headerf:
        case Kw::k_footer: case Kw::k_footerl: case Kw::k_footerr: case Kw::k_footerf:
        case Kw::k_footnote: case Kw::k_annotation: case Kw::k_atnid: case Kw::k_atnauthor:
        case Kw::k_atndate: case Kw::k_atnicn: case Kw::k_atnref: case Kw::k_atrfstart:
        case Kw::k_atrfend: case Kw::k_themedata: case Kw::k_colorschememapping:
        case Kw::k_latentstyles: case Kw::k_datastore: case Kw::k_xmlnstbl:
        case Kw::k_listtable: case Kw::k_listoverridetable: case Kw::k_rsidtbl:
        case Kw::k_generator: case Kw::k_filetbl: case Kw::k_revtbl: case Kw::k_private:
        case Kw::k_pgdsctbl: case Kw::k_template: case Kw::k_userprops: case Kw::k_docvar:
        case Kw::k_ftnsep: case Kw::k_ftnsepc: case Kw::k_ftncn: case Kw::k_aftnsep:
        case Kw::k_aftnsepc: case Kw::k_aftncn: case Kw::k_xe: case Kw::k_tc: case Kw::k_txe:
        case Kw::k_bkmkstart: case Kw::k_bkmkend: case Kw::k_comment: case Kw::k_author:
        case Kw::k_operator: case Kw::k_title: case Kw::k_subject: case Kw::k_keywords:
        case Kw::k_doccomm: case Kw::k_company: case Kw::k_category: case Kw::k_nonesttables:
        case Kw::k_upr: case Kw::k_objdata: case Kw::k_objclass: case Kw::k_objname:
        case Kw::k_shpinst: case Kw::k_falt: case Kw::k_panose: case Kw::k_listpicture:
        case Kw::k_fchars: case Kw::k_lchars: case Kw::k_pgptbl: case Kw::k_protusertbl:
        case Kw::k_mmathPr: case Kw::k_defchp: case Kw::k_defpap: case Kw::k_wgrffmtfilter:
        case Kw::k_blipuid: case Kw::k_picprop: case Kw::k_background: case Kw::k_passwordhash:
        case Kw::k_expandedcolortbl: case Kw::k_do: case Kw::k_sp: case Kw::k_sn:
        case Kw::k_sv: case Kw::k_fname: case Kw::k_pnseclvl: case Kw::k_leveltext:
        case Kw::k_levelnumbers: case Kw::k_revision: case Kw::k_rxe:
            SkipRestOfGroup();
            return;
        default: break;
    }
    if (star) {  // an ignorable destination this reader does not know
        SkipRestOfGroup();
        return;
    }
    if (CharacterWord(kw)) return;
    switch (s.dest) {
        case Dest::FontTable:
            FontWord(kw, value);
            return;
        case Dest::ColorTable:
            if constexpr (Rich) {
                const auto component = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
                if (kw == Kw::k_red) extra_.color.red = component;
                else if (kw == Kw::k_green) extra_.color.green = component;
                else if (kw == Kw::k_blue) extra_.color.blue = component;
                else return;
                extra_.colorHasValue = true;
            }
            return;
        case Dest::Picture:
            PictureWord(kw, value);
            return;
        case Dest::Numbering:
            NumberingWord(kw, has, value);
            return;
        default: break;
    }
    if (kw == Kw::k_f) {
        SetFont(value);
        return;
    }
    if (kw == Kw::k_plain) SetFont(-1);
    if (kw == Kw::k_pard) s.inTable = false;
    if (kw == Kw::k_intbl) s.inTable = !has || value != 0;
    if (kw == Kw::k_itap) s.inTable = value > 0;
    if constexpr (Rich) {
        CharWord(kw, has, value);
        ParaWord(kw, has, value);
    }
}

// Beyond kMaxDepth: characters only; any destination is skipped whole.
template <bool Rich>
void Parser<Rich>::OverflowWord(Kw kw, bool has, std::int32_t value, bool star) {
    if (star) {
        SkipRestOfGroup();
        return;
    }
    switch (kw) {
        case Kw::k_bin: Binary(has ? value : 0); return;
        case Kw::k_u: UnicodeWord(has, value); return;
        case Kw::k_pict:
            if (Top().dest == Dest::Text) {
                if constexpr (Rich) {
                    RichPicture picture;
                    picture.position = Position() + (pendingCellTab_ ? 1 : 0);
                    extra_.doc.pictures.push_back(std::move(picture));
                }
                EmitUnit(kObjectMark);
            }
            SkipRestOfGroup();
            return;
        case Kw::k_fonttbl: case Kw::k_colortbl: case Kw::k_fldinst: case Kw::k_pn:
        case Kw::k_pntxtb: case Kw::k_pntxta: case Kw::k_pntext: case Kw::k_listtext:
        case Kw::k_nonshppict: case Kw::k_stylesheet: case Kw::k_info: case Kw::k_header:
        case Kw::k_headerl: case Kw::k_headerr: case Kw::k_headerf: case Kw::k_footer:
        case Kw::k_footerl: case Kw::k_footerr: case Kw::k_footerf: case Kw::k_footnote:
        case Kw::k_annotation: case Kw::k_themedata: case Kw::k_datastore: case Kw::k_listtable:
        case Kw::k_listoverridetable: case Kw::k_generator: case Kw::k_bkmkstart:
        case Kw::k_bkmkend: case Kw::k_objdata: case Kw::k_shpinst: case Kw::k_nonesttables:
        case Kw::k_upr: case Kw::k_xe: case Kw::k_tc: case Kw::k_txe:
            SkipRestOfGroup();
            return;
        default: CharacterWord(kw); return;
    }
}

// Words that stand for characters; true when `kw` is one.
template <bool Rich>
bool Parser<Rich>::CharacterWord(Kw kw) {
    switch (kw) {
        case Kw::k_par: case Kw::k_sect: case Kw::k_page: Paragraph(kw); return true;
        case Kw::k_line: if (Top().dest == Dest::Text) EmitUnit(kLineBreak); return true;
        case Kw::k_tab: Put(kTab); return true;
        case Kw::k_cell: case Kw::k_nestcell: Cell(); return true;
        case Kw::k_row: Row(); return true;
        case Kw::k_nestrow:
            if (Top().dest == Dest::Text) {
                pendingCellTab_ = false;
                EmitUnit(kLineBreak);
            }
            return true;
        case Kw::k_emdash: Put(u'\u2014'); return true;
        case Kw::k_endash: Put(u'\u2013'); return true;
        case Kw::k_emspace: Put(u'\u2003'); return true;
        case Kw::k_enspace: Put(u'\u2002'); return true;
        case Kw::k_qmspace: Put(u'\u2005'); return true;
        case Kw::k_bullet: Put(u'\u2022'); return true;
        case Kw::k_lquote: Put(u'\u2018'); return true;
        case Kw::k_rquote: Put(u'\u2019'); return true;
        case Kw::k_ldblquote: Put(u'\u201C'); return true;
        case Kw::k_rdblquote: Put(u'\u201D'); return true;
        case Kw::k_zwj: Put(u'\u200D'); return true;
        case Kw::k_zwnj: Put(u'\u200C'); return true;
        case Kw::k_ltrmark: Put(u'\u200E'); return true;
        case Kw::k_rtlmark: Put(u'\u200F'); return true;
        default: return false;
    }
}

// \binN: N raw bytes, picture data or nothing.
template <bool Rich>
void Parser<Rich>::Binary(std::int32_t count) {
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, end_ - p_));
    if constexpr (Rich) {
        if (Top().dest == Dest::Picture && overflow_ == 0) {
            auto& bytes = extra_.doc.pictures[extra_.picture].bytes;
            bytes.insert(bytes.end(), p_, p_ + n);
        }
    }
    p_ += n;
}

// ---- Characters --------------------------------------------------------------------------

// \uN: one UTF-16 unit (N is signed 16-bit in RTF), then \ucN fallback units to skip.
template <bool Rich>
void Parser<Rich>::UnicodeWord(bool has, std::int32_t value) {
    if (!has) return;
    char16_t unit = u'\uFFFD';
    if (value >= -32768 && value < 0) unit = static_cast<char16_t>(value + 65536);
    else if (value >= 0 && value <= 0xFFFF) unit = static_cast<char16_t>(value);
    Put(unit);
    ucSkip_ = Top().uc;
}

template <bool Rich>
void Parser<Rich>::Put(char16_t unit) {
    State& s = Top();
    switch (s.dest) {
        case Dest::Text:
            if (unit < 0x20) {
                if (unit == kTab) EmitUnit(kTab);  // other control characters show nothing
                return;
            }
            EmitUnit(unit == kObjectMark ? u'\uFFFD' : unit);  // U+FFFC stands for pictures only
            return;
        case Dest::FontTable:
            if (unit == u';') {
                CommitFont();
            } else if (openFont_ >= 0 && unit >= 0x20 && fonts_[openFont_].name.size() < kMaxCapture) {
                fonts_[openFont_].name.push_back(unit);
            }
            return;
        default: break;
    }
    if constexpr (Rich) {
        switch (s.dest) {
            case Dest::ColorTable:
                if (unit == u';') {
                    if (!extra_.colorHasValue) extra_.color.automatic = true;
                    extra_.doc.colors.push_back(extra_.color);
                    extra_.color = RichColor{};
                    extra_.colorHasValue = false;
                }
                return;
            case Dest::FieldInst:
                if (!extra_.fields.empty() &&
                    extra_.fields.back().instruction.size() < kMaxInstruction)
                    extra_.fields.back().instruction.push_back(unit);
                return;
            case Dest::Capture:
                if (extra_.listText.size() < kMaxCapture) extra_.listText.push_back(unit);
                return;
            case Dest::NumberingText: {
                PnState& pn = extra_.pn;
                std::uint8_t& length = s.numberingAfter ? pn.afterLength : pn.beforeLength;
                auto& chars = s.numberingAfter ? pn.after : pn.before;
                if (length < kMaxMarkerText && unit >= 0x20) chars[length++] = unit;
                return;
            }
            default: return;
        }
    }
}

template <bool Rich>
void Parser<Rich>::Byte8(unsigned char byte) {
    const std::int32_t codePage = CurrentCodePage();
    if (!IsMultiByteCodePage(codePage)) {
        Put(codePages_.SingleByte(codePage)[byte]);
        return;
    }
    if (!pending_.empty() && pendingCodePage_ != codePage) FlushPending();
    pendingCodePage_ = codePage;
    pending_.push_back(static_cast<char>(byte));
}

// Bytes of a multi-byte code page are converted together, so that a double-byte character
// is one position.
template <bool Rich>
void Parser<Rich>::FlushPending() {
    if (pending_.empty()) return;
    std::u16string units;
    codePages_.DecodeMultiByte(pendingCodePage_, pending_, units);
    pending_.clear();
    for (char16_t u : units) Put(u);
}

template <bool Rich>
void Parser<Rich>::EmitUnit(char16_t unit) {
    if (pendingCellTab_) {
        pendingCellTab_ = false;
        Append(kTab);
    }
    Append(unit);
}

template <bool Rich>
void Parser<Rich>::EmitMark(bool rowEnd) {
    pendingCellTab_ = false;
    const std::int32_t mark = Position();
    Append(kParagraphMark);
    if constexpr (Rich) AddParagraph(mark, rowEnd);
}

template <bool Rich>
void Parser<Rich>::Append(char16_t unit) {
    if constexpr (Rich) CheckRun();
    text_.push_back(unit);
}

template <bool Rich>
void Parser<Rich>::AppendAscii(const unsigned char* from, const unsigned char* to) {
    if (pendingCellTab_) {
        pendingCellTab_ = false;
        Append(kTab);
    }
    if constexpr (Rich) CheckRun();
    const std::size_t base = text_.size();
    const std::size_t n = static_cast<std::size_t>(to - from);
    text_.resize(base + n);
    char16_t* out = text_.data() + base;
    for (std::size_t i = 0; i < n; ++i) out[i] = from[i];
}

template <bool Rich>
void Parser<Rich>::CheckRun() {
    if constexpr (Rich) {
        const CharFormat& format = Top().rich.chars;
        if (format == extra_.runFormat) return;
        const std::int32_t here = Position();
        if (here > extra_.runStart) {
            extra_.doc.runs.push_back({extra_.runStart, here - extra_.runStart, extra_.runFormat});
        }
        extra_.runStart = here;
        extra_.runFormat = format;
    }
}

template <bool Rich>
void Parser<Rich>::Paragraph(Kw kw) {
    State& s = Top();
    if (s.dest != Dest::Text) return;
    // A table row stays one paragraph: a \par inside it breaks the line only.
    if (kw == Kw::k_par && s.inTable) {
        EmitUnit(kLineBreak);
        return;
    }
    EmitMark(false);
    if constexpr (Rich) {
        if (kw == Kw::k_page) extra_.pageBreakPending = true;
    }
}

// Cells are separated by tabs: a \cell's tab is written when more of the row follows, so the
// row's last \cell before \row adds nothing.
template <bool Rich>
void Parser<Rich>::Cell() {
    if (Top().dest != Dest::Text) return;
    if (pendingCellTab_) Append(kTab);
    pendingCellTab_ = true;
}

template <bool Rich>
void Parser<Rich>::Row() {
    if (Top().dest != Dest::Text) return;
    EmitMark(true);
}

template <bool Rich>
void Parser<Rich>::Picture() {
    if constexpr (Rich) {
        RichPicture picture;
        picture.position = Position() + (pendingCellTab_ ? 1 : 0);
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

// ---- Fonts and code pages ----------------------------------------------------------------

template <bool Rich>
std::int32_t Parser<Rich>::CodePageOfFont(std::int32_t number) const {
    const std::int32_t index = FontIndex(number < 0 ? defaultFontNumber_ : number);
    if (index < 0) return docCodePage_;
    const RichFont& font = fonts_[index];
    if (font.codePage > 0) return SupportedCodePage(font.codePage);
    const int fromCharset = CodePageOfCharset(font.charset);
    return fromCharset != 0 ? fromCharset : docCodePage_;
}

template <bool Rich>
std::int32_t Parser<Rich>::CurrentCodePage() {
    State& s = Top();
    if (s.codePageGeneration != codePageGeneration_) {
        s.codePage = CodePageOfFont(s.fontNumber);
        s.codePageGeneration = codePageGeneration_;
    }
    return s.codePage;
}

template <bool Rich>
void Parser<Rich>::SetFont(std::int32_t number) {
    State& s = Top();
    s.fontNumber = number;
    s.codePageGeneration = 0;
    if constexpr (Rich) s.rich.chars.font = number < 0 ? -1 : FontIndex(number);
}

template <bool Rich>
void Parser<Rich>::BeginFont(std::int32_t number) {
    CommitFont();
    RichFont font;
    font.number = number;
    fonts_.push_back(std::move(font));
    lastFont_ = openFont_ = static_cast<std::int32_t>(fonts_.size()) - 1;
    fontIndex_[number] = lastFont_;
    ++codePageGeneration_;
}

template <bool Rich>
void Parser<Rich>::CommitFont() {
    if (openFont_ < 0) return;
    std::u16string& name = fonts_[openFont_].name;
    while (!name.empty() && name.back() == u' ') name.pop_back();
    const auto first = name.find_first_not_of(u' ');
    name.erase(0, first == std::u16string::npos ? name.size() : first);
    openFont_ = -1;
}

template <bool Rich>
void Parser<Rich>::FontWord(Kw kw, std::int32_t value) {
    if (kw == Kw::k_f) {
        BeginFont(value);
        return;
    }
    if (lastFont_ < 0) return;
    RichFont& font = fonts_[lastFont_];
    switch (kw) {
        case Kw::k_fnil: font.family = FontFamily::Nil; break;
        case Kw::k_froman: font.family = FontFamily::Roman; break;
        case Kw::k_fswiss: font.family = FontFamily::Swiss; break;
        case Kw::k_fmodern: font.family = FontFamily::Modern; break;
        case Kw::k_fscript: font.family = FontFamily::Script; break;
        case Kw::k_fdecor: font.family = FontFamily::Decor; break;
        case Kw::k_ftech: font.family = FontFamily::Tech; break;
        case Kw::k_fbidi: font.family = FontFamily::Bidi; break;
        case Kw::k_fcharset: font.charset = std::clamp(value, 0, 255); ++codePageGeneration_; break;
        case Kw::k_cpg: font.codePage = std::max(value, 0); ++codePageGeneration_; break;
        case Kw::k_fprq: font.pitch = std::clamp(value, 0, 2); break;
        default: break;
    }
}

// ---- Formatting (rich reader) ------------------------------------------------------------

template <bool Rich>
std::int32_t Parser<Rich>::ColorIndex(std::int32_t value) const {
    if constexpr (Rich) {
        const auto& colors = extra_.doc.colors;
        if (value >= 0 && static_cast<std::size_t>(value) < colors.size() &&
            !colors[value].automatic)
            return value;
    }
    return -1;
}

template <bool Rich>
void Parser<Rich>::CharWord(Kw kw, bool has, std::int32_t value) {
    if constexpr (Rich) {
        CharFormat& c = Top().rich.chars;
        const bool on = !has || value != 0;
        const auto underline = [&](UnderlineKind kind) { c.underline = on ? kind : UnderlineKind::None; };
        switch (kw) {
            case Kw::k_plain: {
                const std::int32_t font = c.font;
                c = CharFormat{};
                c.font = font;  // SetFont has already put the default font back
                break;
            }
            case Kw::k_b: c.bold = on; break;
            case Kw::k_i: c.italic = on; break;
            case Kw::k_strike: case Kw::k_striked: c.strike = on; break;
            case Kw::k_caps: c.caps = on; break;
            case Kw::k_scaps: c.smallCaps = on; break;
            case Kw::k_v: c.hidden = on; break;
            case Kw::k_ul: underline(UnderlineKind::Single); break;
            case Kw::k_ulw: underline(UnderlineKind::Words); break;
            case Kw::k_uldb: underline(UnderlineKind::Double); break;
            case Kw::k_uld: underline(UnderlineKind::Dotted); break;
            case Kw::k_uldash: case Kw::k_ulldash: underline(UnderlineKind::Dash); break;
            case Kw::k_uldashd: underline(UnderlineKind::DashDot); break;
            case Kw::k_uldashdd: underline(UnderlineKind::DashDotDot); break;
            case Kw::k_ulth: case Kw::k_ulthd: case Kw::k_ulthdash: case Kw::k_ulthdashd:
            case Kw::k_ulthdashdd: case Kw::k_ulthldash:
                underline(UnderlineKind::Thick);
                break;
            case Kw::k_ulwave: case Kw::k_ulhwave: case Kw::k_ululdbwave:
                underline(UnderlineKind::Wave);
                break;
            case Kw::k_ulnone: c.underline = UnderlineKind::None; break;
            case Kw::k_fs: c.halfPoints = has && value > 0 ? std::min(value, 3276) : 24; break;
            case Kw::k_cf: c.foreground = ColorIndex(value); break;
            case Kw::k_cb: case Kw::k_highlight: case Kw::k_chcbpat:
                c.background = ColorIndex(value);
                break;
            case Kw::k_super: c.vertical = on ? VerticalAlign::Superscript : VerticalAlign::Baseline; break;
            case Kw::k_sub: c.vertical = on ? VerticalAlign::Subscript : VerticalAlign::Baseline; break;
            case Kw::k_nosupersub: c.vertical = VerticalAlign::Baseline; break;
            default: break;
        }
    }
}

template <bool Rich>
void Parser<Rich>::AddTab(std::int32_t position, TabKind kind) {
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
        if (para.tabCount == kMaxTabs) return;
        std::move_backward(at, end, end + 1);
        *at = stop;
        ++para.tabCount;
    }
}

template <bool Rich>
void Parser<Rich>::ParaWord(Kw kw, bool has, std::int32_t value) {
    if constexpr (Rich) {
        ParaState& p = Top().rich.para;
        const std::int32_t twips = ClampTwips(value);
        switch (kw) {
            case Kw::k_pard: p = ParaState{}; break;
            case Kw::k_ql: p.alignment = Alignment::Left; break;
            case Kw::k_qc: p.alignment = Alignment::Center; break;
            case Kw::k_qr: p.alignment = Alignment::Right; break;
            case Kw::k_qj: case Kw::k_qd: p.alignment = Alignment::Justify; break;
            case Kw::k_li: case Kw::k_lin: p.leftIndent = twips; break;
            case Kw::k_ri: case Kw::k_rin: p.rightIndent = twips; break;
            case Kw::k_fi: p.firstIndent = twips; break;
            case Kw::k_sb: p.spaceBefore = std::max(twips, 0); break;
            case Kw::k_sa: p.spaceAfter = std::max(twips, 0); break;
            case Kw::k_sl: p.lineSpacing = twips; break;
            case Kw::k_slmult: p.lineMultiple = has && value != 0; break;
            case Kw::k_keep: p.keep = !has || value != 0; break;
            case Kw::k_keepn: p.keepNext = !has || value != 0; break;
            case Kw::k_pagebb: p.pageBreakBefore = !has || value != 0; break;
            case Kw::k_ls: p.hasListOverride = has && value != 0; break;
            case Kw::k_tqr: p.nextTabKind = TabKind::Right; break;
            case Kw::k_tqc: p.nextTabKind = TabKind::Center; break;
            case Kw::k_tqdec: p.nextTabKind = TabKind::Decimal; break;
            case Kw::k_tldot: p.nextTabLeader = TabLeader::Dots; break;
            case Kw::k_tlhyph: p.nextTabLeader = TabLeader::Hyphens; break;
            case Kw::k_tlul: p.nextTabLeader = TabLeader::Underline; break;
            case Kw::k_tlth: p.nextTabLeader = TabLeader::Thick; break;
            case Kw::k_tleq: p.nextTabLeader = TabLeader::Equals; break;
            case Kw::k_tx: AddTab(value, p.nextTabKind); break;
            case Kw::k_tb: AddTab(value, TabKind::Bar); break;
            case Kw::k_trowd: extra_.cellEdges.clear(); break;
            case Kw::k_cellx:
                if (extra_.cellEdges.size() < kMaxCells) extra_.cellEdges.push_back(twips);
                break;
            default: break;
        }
    }
}

template <bool Rich>
void Parser<Rich>::NumberingWord(Kw kw, bool has, std::int32_t value) {
    if constexpr (Rich) {
        PnState& pn = extra_.pn;
        switch (kw) {
            case Kw::k_pnlvlblt: pn.bullet = true; pn.cont = false; break;
            case Kw::k_pnlvlbody: pn.bullet = false; pn.cont = false; break;
            case Kw::k_pnlvlcont: pn.cont = true; break;
            case Kw::k_pnlvl: pn.level = std::clamp(value, 0, 9); break;
            case Kw::k_pndec: case Kw::k_pncard: case Kw::k_pnord: case Kw::k_pnordt:
                pn.style = ListKind::Decimal;
                break;
            case Kw::k_pnucltr: pn.style = ListKind::UpperLetter; break;
            case Kw::k_pnlcltr: pn.style = ListKind::LowerLetter; break;
            case Kw::k_pnucrm: pn.style = ListKind::UpperRoman; break;
            case Kw::k_pnlcrm: pn.style = ListKind::LowerRoman; break;
            case Kw::k_pnstart: pn.start = has ? std::clamp(value, 0, 1'000'000) : 1; break;
            case Kw::k_pnf: pn.fontNumber = value; break;
            case Kw::k_pnindent: pn.indent = ClampTwips(value); break;
            default: break;
        }
    }
}

template <bool Rich>
void Parser<Rich>::PictureWord(Kw kw, std::int32_t value) {
    if constexpr (Rich) {
        RichPicture& pic = extra_.doc.pictures[extra_.picture];
        const std::int32_t size = std::clamp(value, 0, kTwipsLimit);
        switch (kw) {
            case Kw::k_pngblip: pic.kind = PictureKind::Png; break;
            case Kw::k_jpegblip: pic.kind = PictureKind::Jpeg; break;
            case Kw::k_emfblip: case Kw::k_wmetafile: case Kw::k_macpict: case Kw::k_dibitmap:
            case Kw::k_wbitmap: case Kw::k_pmmetafile:
                pic.kind = PictureKind::Other;
                break;
            case Kw::k_picw: pic.pixelWidth = size; break;
            case Kw::k_pich: pic.pixelHeight = size; break;
            case Kw::k_picwgoal: pic.goalWidth = size; break;
            case Kw::k_pichgoal: pic.goalHeight = size; break;
            case Kw::k_picscalex: pic.scaleX = std::clamp(value, 1, 10000); break;
            case Kw::k_picscaley: pic.scaleY = std::clamp(value, 1, 10000); break;
            default: break;
        }
    }
}

// ---- Rich output -------------------------------------------------------------------------

template <bool Rich>
ListMarker Parser<Rich>::MakeMarker(const ParaState& para) {
    ListMarker marker;
    if constexpr (Rich) {
        RichExtra& x = extra_;
        const PnState& pn = para.pn;
        if (pn.present) {
            if (pn.cont) return marker;  // a continuation paragraph: no marker, list goes on
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
            const bool continues = x.previousListed && x.previousKind == pn.style &&
                                   x.previousLevel == pn.level;
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
            while (!text.empty() && (text.back() == u' ' || text.back() == kTab)) text.pop_back();
            if (text.empty()) return marker;
            const bool numbered = std::any_of(text.begin(), text.end(),
                                              [](char16_t c) { return c >= u'0' && c <= u'9'; });
            marker.kind = numbered ? ListKind::Decimal : ListKind::Bullet;
            if (!numbered && (text == u"\u00B7" || text == u"\uF0B7")) text = u"\u2022";
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

template <bool Rich>
void Parser<Rich>::AddParagraph(std::int32_t mark, bool rowEnd) {
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
        if (f.tableRow) f.cellEdges = x.cellEdges;
        x.doc.paragraphs.push_back(std::move(paragraph));
        x.paragraphStart = mark + 1;
        x.listText.clear();
    }
}

template <bool Rich>
void Parser<Rich>::FinishPicture() {
    if constexpr (Rich) {
        RichPicture& pic = extra_.doc.pictures[extra_.picture];
        const auto& b = pic.bytes;
        const bool png = b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G';
        const bool jpeg = b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
        // Data that is not what the picture claims to be is shown as a placeholder.
        if (!((pic.kind == PictureKind::Png && png) || (pic.kind == PictureKind::Jpeg && jpeg))) {
            pic.kind = PictureKind::Other;
            pic.bytes.clear();
            pic.bytes.shrink_to_fit();
        }
        extra_.picture = -1;
        extra_.hexHigh = -1;
    }
}

template <bool Rich>
void Parser<Rich>::FinishField(FieldState& field) {
    if constexpr (Rich) {
        if (field.resultStart < 0 || field.resultEnd <= field.resultStart) return;
        HyperlinkTarget target;
        if (!ParseHyperlink(field.instruction, target)) return;
        RichHyperlink link;
        link.first = field.resultStart;
        link.last = field.resultEnd - 1;
        link.target = std::move(target.target);
        link.anchor = std::move(target.anchor);
        extra_.doc.hyperlinks.push_back(std::move(link));
    }
}

template <bool Rich>
void Parser<Rich>::FinishRuns() {
    if constexpr (Rich) {
        const std::int32_t end = Position();
        if (end > extra_.runStart)
            extra_.doc.runs.push_back({extra_.runStart, end - extra_.runStart, extra_.runFormat});
    }
}

}  // namespace mirelda::rtf
