#pragma once
// The RTF parser core that ReadRtf (Rich = true) and ExtractPlainText (Rich = false) share, so
// that the two can never number a character differently. Internal to core/richtext.
//
// Shape of the input (RTF 1.9.1):
//   {\rtf1\ansi\ansicpg1252\deff0 {\fonttbl ...}{\colortbl ...}{\stylesheet ...} body }
//   group      '{' ... '}'          saves and restores the formatting state
//   word       '\' letters [-]digits [' ']   e.g. \par, \fs24, \u8364
//   symbol     '\' one non-letter    \~ \- \_ \{ \} \\ \* \'hh
//   text       any other byte; raw CR and LF are ignored, a NUL is a space, a tab a tab,
//              other control bytes nothing
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
//
// The members are defined in rtf_parser_*.cpp and rtf_reader.cpp, each file explicitly
// instantiating what it defines for the readers that use it: the rich reader's own members
// (`requires Rich`) for Parser<true> only, the others for both.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/richtext/code_page.h"
#include "core/richtext/document.h"
#include "core/richtext/rtf_keywords.h"
#include "core/richtext/rtf_list_table.h"

namespace mirelda::rtf {

inline constexpr std::size_t kMaxDepth = 1024;
inline constexpr std::int32_t kTwipsLimit = 1 << 20;
inline constexpr std::size_t kMaxTabs = 32; // the rich-edit control keeps 32 tab stops
inline constexpr std::size_t kMaxCells = 64;
inline constexpr std::size_t kMaxFonts = 4096;
inline constexpr std::size_t kMaxMarkerText = 16; // \pntxtb / \pntxta
inline constexpr std::size_t kMaxCapture = 256;   // font names, \listtext
inline constexpr std::size_t kMaxInstruction = 4096;
// Shapes, text boxes and nested tables: a text box or a shape's picture is read as a document
// of its own, at most kMaxSubDocumentDepth deep; a document keeps at most kMaxShapes of them
// (a group's shapes included) and groups nest kMaxShapeNesting deep; tables nest at most kMaxTableDepth deep
// (\itap), deeper cells are their parent cell's text.
inline constexpr int kMaxSubDocumentDepth = 4;
inline constexpr std::size_t kMaxShapes = 512;
inline constexpr std::size_t kMaxShapeNesting = 8; // groups in groups
inline constexpr std::int32_t kMaxTableDepth = 6;
inline constexpr std::size_t kMaxShapeName = 32;

enum class Dest : std::uint8_t {
    Text,
    FontTable,
    ColorTable,    // rich only
    Picture,       // rich only
    FieldInst,     // rich only
    Capture,       // \listtext, rich only
    Numbering,     // \pn, rich only
    NumberingText, // \pntxtb, \pntxta, rich only
    Shape,         // \shpinst, \do: a shape's words and properties, rich only
    ShapeName,     // \sn, rich only
    NestedRow,     // \nesttableprops, rich only
};

inline bool RichOnly(Dest dest)
{
    return dest != Dest::Text && dest != Dest::FontTable;
}

// ---- Helpers defined in rtf_parser.cpp --------------------------------------------------

struct HyperlinkTarget
{
    std::u16string target;
    std::u16string anchor;
};
// The target of a HYPERLINK field instruction; false for any other field.
bool ParseHyperlink(std::u16string_view instruction, HyperlinkTarget& out);

// "3", "c", "iii", "C" ... for a numbered list marker.
std::u16string FormatListNumber(std::int32_t number, ListKind kind);

// The kind and number of a list label written as letters ("a.", "iv.", "(C)"); false when it
// is none.
bool ParseLetterLabel(std::u16string_view text, ListKind& kind, std::int32_t& number);

// ---- Formatting state kept per group (rich reader only) ---------------------------------

struct PnState
{
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

struct ParaState
{
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
    std::int32_t listOverride = 0; // that N
    std::int32_t listLevel = 0;    // \ilvlN
    std::int32_t itap = 0;         // \itapN: the table depth of the paragraph, 0: \intbl's 1
    TabKind nextTabKind = TabKind::Left;
    TabLeader nextTabLeader = TabLeader::None;
    std::uint8_t tabCount = 0;
    std::array<TabStop, kMaxTabs> tabs{};
    PnState pn;
};

struct RichState
{
    CharFormat chars;
    ParaState para;
};

struct NoState
{
};

// What \brdrs, \brdrw, \brdrcf... apply to: the side last named by \clbrdrX or \trbrdrX.
enum class BorderTarget : std::uint8_t {
    None, // a paragraph or character border, which the reader does not keep
    CellTop,
    CellLeft,
    CellBottom,
    CellRight,
    RowTop,
    RowLeft,
    RowBottom,
    RowRight,
    RowHorizontal,
    RowVertical,
};

template <bool Rich> struct GroupState
{
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

struct FieldState
{
    std::size_t depth = 0;       // stack index of the \field group
    std::size_t resultDepth = 0; // stack index of the \fldrslt group, 0 when none open
    std::int32_t resultStart = -1;
    std::int32_t resultEnd = -1;
    std::u16string instruction;
};

// A {\shp ...}, {\shpgrp ...} or {\*\do ...} being read.
struct ShapeReading
{
    RichShape shape;
    std::size_t depth = 0;       // stack index of its group
    std::size_t resultDepth = 0; // stack index of its \shprslt group, 0 when none open
    bool drawingObject = false;  // {\*\do ...}
    bool child = false;          // a shape of the group being read
    bool dropped = false;        // inside another shape's fallback, or past kMaxShapes
};

// A nested row being read, at each depth from 2.
struct OpenNestedRow
{
    std::int32_t index = -1; // into RichDocument::nestedRows; -1: none open
    bool ended = false;      // its \nestrow was read: it ends after the tab still to come, if any
};

struct RichExtra
{
    RichDocument doc;
    std::int32_t runStart = 0;
    CharFormat runFormat;
    std::int32_t paragraphStart = 0;
    std::vector<FieldState> fields;
    std::int32_t picture = -1; // index of the picture being read
    int hexHigh = -1;
    RichColor color;
    bool colorHasValue = false;
    bool colorTableSeen = false;
    PnState pn; // the \pn group being read
    std::u16string listText;
    CharFormat cellTabFormat;       // the format in force at the \cell whose tab is pending
    bool pendingCellNested = false; // that \cell was a \nestcell: no cell of the row ends there
    // The row definition in force (\trowd ... \cellx) and the cell being defined.
    RichTableRow rowDefinition;
    TableCell nextCell;
    // Cells defined before the \trowd that starts their row ("\cellx1000\cellx6000\trowd"),
    // kept unless the row defines its own: how many of rowDefinition's cells a row has
    // used, and whether its cells were carried over a \trowd.
    std::size_t cellsUsed = 0;
    bool cellsCarried = false;
    // Picture bullets: the list levels that show one, and the lists of the \lsN numbers.
    ListTablePictures listTable;
    std::unordered_map<std::int32_t, std::int32_t> listOfOverride; // \ls to \listid
    std::unordered_map<std::int64_t, std::int32_t> pictureOfLevel; // (\listid, level) to picture
    // The next cell's \clpadl, t, r, b as written, and whether \clpadf* gave them in twips.
    std::array<std::int32_t, 4> cellPadding{};
    std::array<bool, 4> cellPaddingInTwips{};
    BorderTarget border = BorderTarget::None;
    // The cells of the paragraph being read.
    std::vector<std::int32_t> separators;
    std::vector<Alignment> cellAlignments;
    std::vector<CellParagraphBreak> paragraphBreaks;
    bool pageBreakPending = false;
    // The numbering sequence of the paragraphs read so far.
    bool previousListed = false;
    ListKind previousKind = ListKind::None;
    std::int32_t previousLevel = 0;
    std::int32_t previousNumber = 0;
    // Shapes being read, outermost first, and the \sn being read.
    std::vector<ShapeReading> shapes;
    std::string shapeName;
    std::size_t shapeCount = 0;
    // Nested table rows: those open at each depth (index depth - 2), the depth of the pending
    // \nestcell's tab, the outer row definition a \nesttableprops group saved.
    std::array<OpenNestedRow, kMaxTableDepth - 1> nested{};
    std::int32_t openDepth = 1;
    std::int32_t pendingCellDepth = 0;
    std::int32_t nestedPropsRow = -1;
    RichTableRow savedRowDefinition;
    TableCell savedNextCell;
    BorderTarget savedBorder = BorderTarget::None;
};

struct NoExtra
{
};

inline std::int32_t ClampTwips(std::int32_t v)
{
    return std::clamp(v, -kTwipsLimit, kTwipsLimit);
}

// ---- The parser --------------------------------------------------------------------------

template <bool Rich> class Parser
{
  public:
    // offsets, when given, receives the byte offset in `input` of the token behind each position.
    explicit Parser(std::string_view input, std::vector<std::uint32_t>* offsets = nullptr)
        : p_(reinterpret_cast<const unsigned char*>(input.data())), end_(p_ + input.size()), begin_(p_),
          offsets_(offsets), ownBudget_(8 * static_cast<std::int64_t>(input.size()) + (1 << 16))
    {
        text_.reserve(input.size() / 2 + 16);
    }

    void Run();

    std::u16string& Text() { return text_; }
    RichExtra& Extra() requires Rich { return extra_; }
    std::vector<RichFont>& Fonts() { return fonts_; }
    std::int32_t DocumentCodePage() const { return docCodePage_; }
    std::int32_t DefaultFontNumber() const { return defaultFontNumber_; }
    std::int32_t FontIndex(std::int32_t number) const
    {
        auto it = fontIndex_.find(number);
        return it == fontIndex_.end() ? -1 : it->second;
    }
    std::int32_t CodePageOfFont(std::int32_t number) const;
    // Reads a text box or a shape's picture with this document's tables, one level deeper,
    // drawing on the article's budget.
    void InheritTables(const Parser& parent) requires Rich;

  private:
    using State = GroupState<Rich>;

    State& Top() { return stack_.back(); }
    std::int32_t Position() const { return static_cast<std::int32_t>(text_.size()); }
    // Where the next character will land: after a pending cell tab, if any.
    std::int32_t NextPosition() const { return Position() + (pendingCellTab_ ? 1 : 0); }

    // The driving loop (rtf_parser_loop.cpp)
    void RunPlainText();
    void NoteOffsets(const unsigned char* token, std::size_t before, bool plain);
    void TextByte();
    void ControlSequence();
    void OpenGroup();
    void CloseGroup();
    void SkipRestOfGroup();
    void Finish();

    // Characters (rtf_parser_loop.cpp)
    void Put(char16_t unit);
    void Byte8(unsigned char byte);
    void FlushPending();
    void EmitUnit(char16_t unit);
    void EmitPendingCellTab();
    void EmitMark(bool rowEnd);
    void Append(char16_t unit);
    void AppendAscii(const unsigned char* from, const unsigned char* to);
    void CheckRun() requires Rich;
    void CheckRun(const CharFormat& format) requires Rich;
    void Paragraph(Kw kw);
    void Cell(bool nested);
    void Row();
    void Picture();
    void UnicodeWord(bool has, std::int32_t value);

    // Control words, by what they act on (rtf_parser_words.cpp)
    void Word(Kw kw, bool has, std::int32_t value);
    void OverflowWord(Kw kw, bool has, std::int32_t value, bool star);
    bool DocumentWordInRichDestination(Kw kw);
    void PeekSkippedGroup(Kw kw) requires Rich;
    bool DocumentWord(Kw kw, bool has, std::int32_t value);
    bool DestinationWord(Kw kw);
    bool EnterRichDestination(Kw kw) requires Rich;
    bool CharacterWord(Kw kw);
    bool WordOfDestination(Kw kw, bool has, std::int32_t value);
    void FormattingWord(Kw kw, bool has, std::int32_t value);
    void Binary(std::int32_t count);

    // Fonts and code pages (rtf_parser_words.cpp)
    std::int32_t CurrentCodePage();
    void SetFont(std::int32_t number);
    void BeginFont(std::int32_t number);
    void CommitFont();
    void FontWord(Kw kw, std::int32_t value);

    // Character, paragraph, numbering, colour and picture words (rtf_parser_formatting.cpp)
    void CharWord(Kw kw, bool has, std::int32_t value) requires Rich;
    void ParaWord(Kw kw, bool has, std::int32_t value) requires Rich;
    void AddTab(std::int32_t position, TabKind kind) requires Rich;
    void NumberingWord(Kw kw, bool has, std::int32_t value) requires Rich;
    void ColorWord(Kw kw, std::int32_t value) requires Rich;
    std::int32_t ColorIndex(std::int32_t value) const requires Rich;
    void PictureWord(Kw kw, std::int32_t value) requires Rich;

    // Tables: row and cell definitions, borders, nested rows (rtf_parser_formatting.cpp)
    bool TableWord(Kw kw, std::int32_t value) requires Rich;
    bool RowWord(Kw kw, std::int32_t value) requires Rich;
    void StartRowDefinition() requires Rich;
    void EndCellDefinition(std::int32_t edge) requires Rich;
    bool CellWord(Kw kw, std::int32_t value) requires Rich;
    bool BorderWord(Kw kw, std::int32_t value) requires Rich;
    CellBorder* CurrentBorder() requires Rich;
    std::int32_t TableDepth() const requires Rich;
    void NoteTableDepth() requires Rich;
    void OpenNestedRows(std::int32_t depth) requires Rich;
    void CloseNestedRows(std::int32_t depth) requires Rich;
    void EndNestedRow(std::int32_t depth) requires Rich;
    void NoteNestedSeparator() requires Rich;

    // What the rich reader builds (rtf_parser_output.cpp)
    void AddParagraph(std::int32_t mark, bool rowEnd) requires Rich;
    ListMarker MakeMarker(const ParaState& para) requires Rich;
    void FinishPicture() requires Rich;
    void ReadListPictures() requires Rich;
    std::int32_t ListPictureOf(const ParaState& para) const requires Rich;
    void FinishField(FieldState& field) requires Rich;
    void FinishRuns() requires Rich;

    // Shapes and text boxes (rtf_parser_output.cpp)
    bool ShapeDestination(Kw kw, bool star) requires Rich;
    void ShapeWord(Kw kw, std::int32_t value) requires Rich;
    void ShapeProperty(std::string_view value) requires Rich;
    void ShapeGroupClosed(std::size_t depth) requires Rich;
    void FinishShape() requires Rich;
    std::string_view RestOfGroup() requires Rich;

    // A text box, a shape's picture or a picture bullet (rtf_reader.cpp)
    RichDocument ReadSubDocument(std::string_view body) requires Rich;

    const unsigned char* p_;
    const unsigned char* end_;
    const unsigned char* begin_;
    std::vector<std::uint32_t>* offsets_;
    std::u16string text_;
    std::vector<State> stack_;
    std::size_t overflow_ = 0;    // groups opened beyond kMaxDepth, still open
    std::int32_t ucSkip_ = 0;     // fallback units still to skip after \uN
    bool star_ = false;           // a \* announced the next word as a destination
    bool pendingCellTab_ = false; // a \cell whose tab is written only if the row goes on
    bool done_ = false;
    std::string pending_; // bytes of a multi-byte code page awaiting conversion
    std::int32_t pendingCodePage_ = 0;
    CodePageCache codePages_;
    std::int32_t docCodePage_ = 1252;
    std::int32_t defaultFontNumber_ = -1;
    std::uint32_t codePageGeneration_ = 1;
    std::vector<RichFont> fonts_; // RichFont::codePage holds \cpg until the end
    std::unordered_map<std::int32_t, std::int32_t> fontIndex_;
    std::int32_t openFont_ = -1;    // font entry whose name is being read
    std::size_t openFontDepth_ = 0; // stack index of the group where that entry began
    std::int32_t lastFont_ = -1;    // font entry that font-table words apply to
    int subDocumentDepth_ = 0;      // 0: the article; 1: a text box in it...
    // What reading sub-documents may still cost the article, in bytes read and copied: each
    // one copies the font and colour tables, so many text boxes under a large font table
    // must not multiply them without bound.
    std::int64_t ownBudget_ = 0;
    std::int64_t* subDocumentBudget_ = &ownBudget_;
    [[no_unique_address]] std::conditional_t<Rich, RichExtra, NoExtra> extra_;
};

// The document a rich parser has read, its fonts' code pages resolved.
RichDocument TakeDocument(Parser<true>& parser);

} // namespace mirelda::rtf
