#pragma once
// The rich-text model: what an article's RTF becomes once read, in the rich-edit control's
// character numbering.
//
// Numbering: `text` holds one UTF-16 unit per character position. Every position the
// control counts is in it, hidden text included, and nothing else:
//   u'\r'    paragraph mark (\par, \sect, \page, a table row's \row, and the final mark)
//   u'\v'    line break (\line, and a \par inside a table row, so that a row stays one
//            paragraph; the row's `paragraphBreaks` tell the two apart)
//   u'\t'    tab (\tab, and the \cell that separates two cells of a table row: a row of n cells
//            has n - 1 tabs, its last \cell before \row adds nothing)
//   U+FFFC   an embedded picture (one position each, whatever its kind); a U+FFFC written as
//            text in the RTF becomes U+FFFD, so that every U+FFFC has its RichPicture
//   U+2060   a position the control counted that shows nothing: a \page inside a table row,
//            a damaged \'h escape's second character ("\'3?")
//   others   the text itself; a character outside the BMP is two positions (a surrogate pair)
// The text always ends with the final paragraph mark: the document's last \par merges into it
// ("a\par" reads "a\r", "a\par\par" reads "a\r\r"), and a document without any \par still gets
// one. So text.size() >= 1.
//
// Every range below is in these positions. The runs and the paragraphs each tile the whole
// text, in order, without gaps or overlaps.

#include <cstdint>
#include <string>
#include <vector>

namespace mirelda {

inline constexpr char16_t kParagraphMark = u'\r';
inline constexpr char16_t kLineBreak = u'\v';
inline constexpr char16_t kTab = u'\t';
inline constexpr char16_t kObjectMark = u'\uFFFC';
inline constexpr char16_t kNothingShown = u'\u2060'; // WORD JOINER: no glyph, no line break

// ---- Font and colour tables -------------------------------------------------------------

enum class FontFamily : std::uint8_t { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

struct RichFont
{
    std::int32_t number = 0; // the RTF font number (\fN) that the document refers to
    std::u16string name;     // without the trailing ';', alternate names dropped
    FontFamily family = FontFamily::Nil;
    std::int32_t charset = -1; // \fcharsetN, -1 when absent
    std::int32_t codePage = 0; // code page used for this font's \'hh bytes (from \cpg, else
                               // \fcharset, else the document's \ansicpg); negative for
                               // Symbol and Wingdings, whose bytes read as their symbols
    std::int32_t pitch = 0;    // \fprqN: 0 default, 1 fixed, 2 variable
};

struct RichColor
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool automatic = false; // an empty entry (";"), conventionally entry 0: the default colour
};

// ---- Character formatting ---------------------------------------------------------------

enum class UnderlineKind : std::uint8_t {
    None,
    Single,
    Words,
    Double,
    Dotted,
    Dash,
    DashDot,
    DashDotDot,
    Thick,
    Wave
};

enum class VerticalAlign : std::uint8_t { Baseline, Superscript, Subscript };

struct CharFormat
{
    bool bold = false;
    bool italic = false;
    bool strike = false;    // \strike and \striked1
    bool hidden = false;    // \v: counted in the numbering, never shown
    bool caps = false;      // \caps: shown in capitals; the text keeps its own case
    bool smallCaps = false; // \scaps
    UnderlineKind underline = UnderlineKind::None;
    VerticalAlign vertical = VerticalAlign::Baseline;
    std::int32_t font = -1;       // index into RichDocument::fonts; -1: the default font
    std::int32_t halfPoints = 24; // \fsN; RTF's default is 12 pt
    std::int32_t foreground = -1; // index into RichDocument::colors; -1: automatic
    std::int32_t background = -1; // \cb / \highlight; -1: none

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

// `length` positions from `start` share one format. Adjacent runs always differ.
struct CharRun
{
    std::int32_t start = 0;
    std::int32_t length = 0;
    CharFormat format;
};

// ---- Paragraph formatting ---------------------------------------------------------------

enum class Alignment : std::uint8_t { Left, Center, Right, Justify };

enum class TabKind : std::uint8_t { Left, Center, Right, Decimal, Bar };
enum class TabLeader : std::uint8_t { None, Dots, Hyphens, Underline, Thick, Equals };

struct TabStop
{
    std::int32_t position = 0; // twips from the left indent's origin (the text margin)
    TabKind kind = TabKind::Left;
    TabLeader leader = TabLeader::None;

    friend bool operator==(const TabStop&, const TabStop&) = default;
};

// The old-style \pn paragraph numbering (and, for writers that only give \ls lists, the text
// of their \listtext). It is shown before the paragraph but takes no character position.
enum class ListKind : std::uint8_t {
    None,
    Bullet,
    Decimal,
    LowerLetter,
    UpperLetter,
    LowerRoman,
    UpperRoman
};

struct ListMarker
{
    ListKind kind = ListKind::None;
    std::u16string text;       // the marker as shown, already numbered: u"•", u"3.", u"(c)"
    std::int32_t font = -1;    // index into fonts for the marker (\pnf), -1: the paragraph's
    std::int32_t indent = 0;   // \pnindent, twips
    std::int32_t number = 0;   // the ordinal for numbered kinds (1-based), 0 for bullets
    std::int32_t picture = -1; // a picture bullet: index into RichDocument::listPictures

    friend bool operator==(const ListMarker&, const ListMarker&) = default;
};

struct ParagraphFormat
{
    Alignment alignment = Alignment::Left;
    std::int32_t leftIndent = 0;  // \li, twips
    std::int32_t rightIndent = 0; // \ri
    std::int32_t firstIndent = 0; // \fi, relative to leftIndent (may be negative)
    std::int32_t spaceBefore = 0; // \sb
    std::int32_t spaceAfter = 0;  // \sa
    // \slN: 0 single (automatic); N > 0 at least N twips; N < 0 exactly -N twips.
    // With lineMultiple (\slmult1), N/240 lines instead.
    std::int32_t lineSpacing = 0;
    bool lineMultiple = false;
    bool keepTogether = false;    // \keep
    bool keepWithNext = false;    // \keepn
    bool pageBreakBefore = false; // \pagebb, and the paragraph that follows a \page
    std::vector<TabStop> tabs;    // in increasing position
    ListMarker list;              // kind None: no marker
    // A table row: its cells are separated by tabs; its definition is the matching
    // RichDocument::tableRows entry.
    bool tableRow = false;

    friend bool operator==(const ParagraphFormat&, const ParagraphFormat&) = default;
};

// Positions [start, mark]; text[mark] is the paragraph's u'\r'.
struct RichParagraph
{
    std::int32_t start = 0;
    std::int32_t mark = 0;
    ParagraphFormat format;
};

// ---- Tables -----------------------------------------------------------------------------

enum class BorderStyle : std::uint8_t { None, Single, Thick, Double, Dotted, Dashed };

struct CellBorder
{
    BorderStyle style = BorderStyle::None;
    std::int32_t width = 0;  // \brdrwN, twips; 0: the thinnest line
    std::int32_t color = -1; // \brdrcfN, index into RichDocument::colors; -1: automatic

    friend bool operator==(const CellBorder&, const CellBorder&) = default;
};

enum class CellAlignment : std::uint8_t { Top, Center, Bottom };

// One cell as the row defines it (the words before its \cellx).
struct TableCell
{
    std::int32_t edge = 0; // \cellxN: the cell's right edge, twips from the text margin
    CellBorder top;        // \clbrdrt ...
    CellBorder left;
    CellBorder bottom;
    CellBorder right;
    std::int32_t background = -1; // \clcbpatN, colour index; -1: none
    std::int32_t pattern = -1;    // \clcfpatN, colour of the shading; -1: automatic (black)
    std::int32_t shading = 0;     // \clshdngN: hundredths of a percent of `pattern` over `background`
    CellAlignment vertical = CellAlignment::Top;
    bool mergeFirst = false;         // \clmgf: the first of horizontally merged cells
    bool merged = false;             // \clmrg: merged into the cell before it
    bool verticalMergeFirst = false; // \clvmgf: the top of vertically merged cells
    bool verticalMerged = false;     // \clvmrg: merged into the cell above it
    // The cell's inner margins in twips (\clpadN with its unit \clpadfN3), -1 where the row's
    // apply. Word writes the left margin as \clpadt and the top one as \clpadl, and reads them
    // so, as other readers do: these are the sides as drawn.
    std::int32_t paddingLeft = -1;
    std::int32_t paddingTop = -1;
    std::int32_t paddingRight = -1;
    std::int32_t paddingBottom = -1;

    friend bool operator==(const TableCell&, const TableCell&) = default;
};

// A \par inside a table row: its line break at `position` ends one of a cell's paragraphs,
// which has this format of its own (the cell's last paragraph takes the row's, with the
// alignment in force at its \cell).
struct CellParagraphBreak
{
    std::int32_t position = 0; // text[position] == kLineBreak
    Alignment alignment = Alignment::Left;
    std::int32_t leftIndent = 0; // twips, as in ParagraphFormat
    std::int32_t rightIndent = 0;
    std::int32_t firstIndent = 0;
    std::int32_t spaceBefore = 0;
    std::int32_t spaceAfter = 0;

    friend bool operator==(const CellParagraphBreak&, const CellParagraphBreak&) = default;
};

// A table row: the paragraph [start, mark] with `tableRow` set. Its text cells are separated
// by the tabs at `separators`; `cells` is the row's definition, which a damaged or hand-made
// row may make longer or shorter than its text cells.
struct RichTableRow
{
    std::int32_t start = 0;
    std::int32_t mark = 0;
    std::vector<std::int32_t> separators;  // increasing, in (start, mark); text[s] == kTab
    std::vector<Alignment> cellAlignments; // paragraph alignment at each \cell, in order
    std::vector<TableCell> cells;          // in \cellx order
    std::int32_t origin = 0;               // \trleftN: where the row starts, twips
    std::int32_t gap = 0;                  // \trgaphN: half the space between cells' text
    std::int32_t paddingLeft = -1;         // \trpaddlN, \trpaddrN: the cells' inner margins, twips;
    std::int32_t paddingRight = -1;        // -1: `gap`
    std::int32_t height = 0;               // \trrhN: > 0 at least, < 0 exactly -N, 0 automatic
    Alignment alignment = Alignment::Left; // \trql, \trqc, \trqr
    // \trbrdrt, l, b, r, h (between rows), v (between cells): for cell sides without their own.
    CellBorder top;
    CellBorder left;
    CellBorder bottom;
    CellBorder right;
    CellBorder horizontal;
    CellBorder vertical;
    // Its \par breaks, increasing, in (start, mark).
    std::vector<CellParagraphBreak> paragraphBreaks;
};

// ---- Embedded objects and fields --------------------------------------------------------

// Png, Jpeg, Gif, Bmp: the file. Dib: a device-independent bitmap (\dibitmap, a BMP file
// without its file header). DeviceBitmap: \wbitmap's rows of device pixels. Wmf, Emf: the
// metafile (\wmetafile, \emfblip). Other: a placeholder, without data. The data's own
// signature decides over the RTF word (GIF data under \pngblip is a Gif).
enum class PictureKind : std::uint8_t { Png, Jpeg, Other, Dib, DeviceBitmap, Wmf, Emf, Gif, Bmp };

struct RichPicture
{
    std::int32_t position = 0; // text[position] == kObjectMark
    PictureKind kind = PictureKind::Other;
    std::vector<std::uint8_t> bytes; // the picture's data as its kind says; empty for Other
    std::int32_t goalWidth = 0;      // \picwgoal (twips), 0 when unknown
    std::int32_t goalHeight = 0;     // \pichgoal
    std::int32_t scaleX = 100;       // \picscalex, percent
    std::int32_t scaleY = 100;
    // \picw / \pich as written: pixels for bitmaps, 0.01 mm for metafiles. 0 when the data
    // turned out to be of another kind than announced: the unit they were written in is not
    // the data's.
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    // \piccropl, t, r, b: twips cut off each side of the goal size (negative: added).
    std::int32_t cropLeft = 0;
    std::int32_t cropTop = 0;
    std::int32_t cropRight = 0;
    std::int32_t cropBottom = 0;
    std::int32_t mappingMode = 8; // \wmetafileN
    // DeviceBitmap: \wbmwidthbytes (0 when absent), \wbmbitspixel, \wbmplanes.
    std::int32_t widthBytes = 0;
    std::int32_t bitsPerPixel = 1;
    std::int32_t planes = 1;
    // fFlipH, fFlipV among the \picprop shape properties: drawn mirrored.
    bool flipHorizontal = false;
    bool flipVertical = false;
};

// A HYPERLINK field. [first, last] are the inclusive positions of its result (the text shown);
// fields with an empty result are not kept.
struct RichHyperlink
{
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::u16string target; // the instruction's first argument, quotes removed; may be empty
    std::u16string anchor; // the \l "bookmark" argument, empty when none
};

// ---- Shapes and nested tables ------------------------------------------------------------
// Neither takes a position of its own: the rich-edit control knew nothing of them. A shape's
// \shprslt (the writer's fallback for readers without shapes) was read and counted as any text;
// a shape that can be drawn stands in for it in a view, which leaves those positions unshown.

struct RichDocument;

// Where a floating shape's box is measured from.
enum class ShapeReference : std::uint8_t { Column, Margin, Page, Paragraph };
// How text goes around it (\shpwrN): beside it, above and below only, or under/over it.
enum class ShapeWrap : std::uint8_t { Around, TopAndBottom, None };

struct RichShape
{
    // The shape is drawn before the character at `anchor` (where its group stood). Its
    // \shprslt, if read, is [resultFirst, resultFirst + resultLength).
    std::int32_t anchor = 0;
    std::int32_t resultFirst = 0;
    std::int32_t resultLength = 0;
    bool inlineShape = false; // fPseudoInline: drawn in the line, where the text flows
    // \shpleft, \shptop, \shpright, \shpbottom (\dpx... for old drawing objects), twips; for
    // a shape of a group, in the group's own coordinates (groupLeft... below).
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    ShapeReference horizontalFrom = ShapeReference::Column;
    ShapeReference verticalFrom = ShapeReference::Paragraph;
    std::int32_t horizontalAlign = 0; // posh: 0 absolute, 1 left, 2 centre, 3 right, 4 inside, 5 outside
    ShapeWrap wrap = ShapeWrap::Around;
    // The content: a picture (pib), a text box (\shptxt, \dptxbxtext), or a group's shapes.
    std::vector<RichPicture> picture; // none or one; its position is meaningless
    std::vector<RichDocument> text;   // none or one: the text box's own document
    std::vector<RichShape> children;  // a group's shapes, in their order
    std::int32_t groupLeft = 0;       // a group's coordinate space (groupLeft... properties)
    std::int32_t groupTop = 0;
    std::int32_t groupRight = 20000;
    std::int32_t groupBottom = 20000;
    std::int32_t fillColor = -1;   // 0xBBGGRR from fillColor; -1: none (a text box: white)
    std::int32_t lineColor = -1;   // lineColor; -1: black when the shape has a line
    bool filled = true;            // fFilled
    bool line = true;              // fLine
    std::int32_t lineWidth = 9525; // EMU
};

// A row of a table inside a table cell (\itap 2 and deeper). Its cells end with the tabs of
// their \nestcell at `separators` (the row's last cell may have none, when the row ends the
// outer cell); the row is [start, end).
struct RichNestedRow
{
    std::int32_t depth = 2;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::vector<std::int32_t> separators;
    RichTableRow definition; // cells, borders, gap; its start, mark and separators are unused
};

// ---- The document -----------------------------------------------------------------------

struct RichDocument
{
    std::u16string text;                   // see the numbering at the top of this file
    std::vector<RichFont> fonts;           // in table order
    std::vector<RichColor> colors;         // in table order, so that \cfN is colors[N]
    std::vector<CharRun> runs;             // tile [0, text.size())
    std::vector<RichParagraph> paragraphs; // tile [0, text.size()); the last one's mark is
                                           // the final paragraph mark
    std::vector<RichPicture> pictures;     // in position order
    std::vector<RichHyperlink> hyperlinks; // in position order
    std::vector<RichTableRow> tableRows;   // one for each table-row paragraph, in order
    // The pictures of picture bullets (\listpicture): shown as markers, they take no position
    // (their `position` is 0).
    std::vector<RichPicture> listPictures;
    std::vector<RichShape> shapes;         // in anchor order; see above
    std::vector<RichNestedRow> nestedRows; // in order of their start; a row's inner rows follow it
    std::int32_t defaultFont = -1;         // index into fonts of \deffN, -1 when absent
    std::int32_t codePage = 1252;          // \ansicpgN (\mac 10000, \pc 437, \pca 850)
};

// A stretch of positions [first, first + length).
struct TextSpan
{
    std::int32_t first = 0;
    std::int32_t length = 0;

    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The hidden (\v) stretches of the text, merged, in order. A view that leaves them out maps a
// model position p to p minus the hidden length before it.
std::vector<TextSpan> HiddenSpans(const RichDocument& document);

// The positions that the shapes drawn in a view stand in for: their \shprslt, merged, in
// order. A view leaves them unshown, as hidden text.
std::vector<TextSpan> ReplacedSpans(const RichDocument& document);

// Whether a shape has something to draw (a picture with data, a text box, a group with one).
bool ShapeDrawable(const RichShape& shape);

// The run that holds position `position`, or nullptr when it lies outside the text.
const CharRun* RunAt(const RichDocument& document, std::int32_t position);

// Empty when `document` keeps every promise of this header (tiling runs and paragraphs, a
// picture behind each U+FFFC and only there, links and indexes in range); otherwise the first
// broken one, for tests and fuzzing.
std::string CheckDocument(const RichDocument& document);

} // namespace mirelda
