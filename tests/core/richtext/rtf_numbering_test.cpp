// Character numbering: which constructs take positions, and how many.

#include <gtest/gtest.h>

#include "rtf_test_support.h"

namespace mirelda {
namespace {

using testing::Rtf;
using testing::TextOf;

TEST(RtfNumbering, finalParagraphMark_mergesWithLastParAndIsAlwaysThere)
{
    EXPECT_EQ(TextOf("{\\rtf1 Hello}"), u"Hello\r");
    EXPECT_EQ(TextOf("{\\rtf1 Hello\\par}"), u"Hello\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\par\\par}"), u"a\r\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\par b}"), u"a\rb\r");
    EXPECT_EQ(TextOf("{\\rtf1}"), u"\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\par {\\v b}}"), u"a\rb\r"); // hidden text after the last \par
    EXPECT_EQ(TextOf("{\\rtf1 a\\sect}"), u"a\r");
}

TEST(RtfNumbering, markupRawLineEndsAndDelimitersCountNothing)
{
    EXPECT_EQ(TextOf("{\\rtf1 a\r\nb\rc\nd}"), u"abcd\r");
    // One space after a control word is its delimiter; a second one is text.
    EXPECT_EQ(TextOf("{\\rtf1 \\b bold\\b0  plain}"), u"bold plain\r");
    EXPECT_EQ(TextOf("{\\rtf1 x\\fs24y\\i-1z}"), u"xyz\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\unknownword b\\unknown42 c}"), u"abc\r");
    EXPECT_EQ(TextOf("{\\rtf1 a{}b{{c}}}"), u"abc\r");
    EXPECT_EQ(TextOf("{\\rtf1 a} text after the document"), u"a\r");
    // "\<newline>" is a \par.
    EXPECT_EQ(TextOf("{\\rtf1 a\\\nb}"), u"a\rb\r");
}

TEST(RtfNumbering, breaksAndSpecialCharacters_onePositionEach)
{
    EXPECT_EQ(TextOf("{\\rtf1 a\\line b\\tab c\\page d\\sect e\\par f}"), u"a\vb\tc\rd\re\rf\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\~\\-\\_\\{\\}\\\\}"), u"\u00A0\u00AD\u2011{}\\\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"),
              u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D\r");
    // \emspace and \enspace are plain spaces, so that find and whole words see a space.
    EXPECT_EQ(TextOf("{\\rtf1 \\emspace\\enspace\\qmspace\\zwj\\zwnj}"), u"  \u2005\u200D\u200C\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\tb}"), u"a\tb\r"); // a raw tab byte is a tab
    // Control characters show nothing, whatever way they are written.
    EXPECT_EQ(TextOf("{\\rtf1 a\\'00\\'0d\\u11 \x01 b}"), u"a b\r");
    // A U+FFFC written as text would pass for a picture.
    EXPECT_EQ(TextOf("{\\rtf1 \\u65532 ?}"), u"\uFFFD\r");
}

TEST(RtfNumbering, nulByte_keepsItsPositionAsASpace)
{
    using namespace std::string_literals;
    EXPECT_EQ(TextOf("{\\rtf1\\ansi{Th\0is\0 is a test}}"s), u"Th is  is a test\r");
    // Every later position stays where it was: the link starts after the space.
    const RichDocument doc =
        testing::Read("{\\rtf1 a\0{\\field{\\*\\fldinst HYPERLINK \"t\"}{\\fldrslt link}}}"s);
    EXPECT_EQ(doc.text, u"a link\r");
    ASSERT_EQ(doc.hyperlinks.size(), 1u);
    EXPECT_EQ(doc.hyperlinks[0].first, 2);
    // Outside the text (a font name) and as a \u fallback it is nothing, as before.
    EXPECT_EQ(TextOf("{\\rtf1{\\fonttbl{\\f0 Ar\0ial;}}\\u233\0x}"s), u"\u00E9x\r");
}

TEST(RtfNumbering, urtfHeader_isReadAsRtf)
{
    EXPECT_EQ(TextOf("{\\urtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\b Gras} \\'e9t\\'e9\\par}"),
              u"Gras \u00E9t\u00E9\r");
    EXPECT_EQ(TextOf(" \r\n{\\urtf1 a}"), u"a\r");
    EXPECT_EQ(TextOf("{\\urt a}"), u"{\\urt a}\r"); // anything else is still plain text
}

TEST(RtfNumbering, hexBytes_decodedWithDocumentOrFontCodePage)
{
    EXPECT_EQ(TextOf(Rtf("caf\\'e9 \\'80 \\'92")), u"café € ’\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), u"При\r");
    // The font's \fcharset wins over \ansicpg; \plain returns to the default font.
    const std::string fonts =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}"
        "{\\f2\\fcharset161 Arial Greek;}{\\f3\\cpg1250 Arial CE;}}";
    EXPECT_EQ(TextOf(fonts + "\\f1\\'cf\\f0\\'e9\\f2\\'e1\\f3\\'9a\\plain\\'e9}"), u"Пéαšé\r");
    // Raw 8-bit bytes are text in the current code page too.
    EXPECT_EQ(TextOf(fonts + "\\f1 \xcf\xf0\\f0  \xe9}"), u"Пр é\r");
    // A font that is not yet in the table when the default font is named.
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f1\\fcharset204 Cyr;}}\\'cf}"), u"П\r");
    // Each code page through its own converter.
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1250 \\'9a}"), u"š\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1253 \\'e1}"), u"α\r");
    EXPECT_EQ(TextOf("{\\rtf1\\pc \\'82}"), u"é\r");
    EXPECT_EQ(TextOf("{\\rtf1\\mac \\'8e}"), u"é\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg874 \\'a1}"), u"ก\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg949 \\'b0\\'a1}"), u"가\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg950 \\'a4\\'a4}"), u"中\r");
    // An unknown code page reads as 1252 rather than losing the text.
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg99999 \\'e9}"), u"é\r");
}

TEST(RtfNumbering, doubleByteCharacter_isOnePosition)
{
    const std::string sjis = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Mincho;}{\\f1 Arial;}}\\f0 ";
    EXPECT_EQ(TextOf(sjis + "\\'82\\'a0\\'82\\'a2}"), u"あい\r");
    // A trail byte written as an ASCII character, and a line break inside the pair.
    EXPECT_EQ(TextOf(sjis + "\\'83A\\'82\r\n\\'a0}"), u"アあ\r");
    // A lone lead byte at a font change: one replacement character, the rest intact.
    EXPECT_EQ(TextOf(sjis + "\\'82\\f1 x}"), u"\uFFFDx\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}"), u"中文\r");
}

TEST(RtfNumbering, unicodeEscapes_skipTheirFallback)
{
    EXPECT_EQ(TextOf("{\\rtf1 \\u8364?x}"), u"€x\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\u233\\'e9x}"), u"éx\r"); // the fallback as a hex byte
    EXPECT_EQ(TextOf("{\\rtf1\\uc2 \\u8364\\'80\\'80x}"), u"€x\r");
    EXPECT_EQ(TextOf("{\\rtf1\\uc0 \\u8364 x}"), u"€x\r");
    // \uc is scoped by groups; a group end stops the skipping.
    EXPECT_EQ(TextOf("{\\rtf1 {\\uc2 \\u8364 ab}\\u8364 ab}"), u"€€b\r");
    EXPECT_EQ(TextOf("{\\rtf1 {\\uc3 \\u8364 a}b}"), u"€b\r");
    // A control word counts as one fallback character.
    EXPECT_EQ(TextOf("{\\rtf1 \\u8364\\par x}"), u"€x\r");
    // Negative values are the upper half; two escapes make a surrogate pair, two positions.
    EXPECT_EQ(TextOf("{\\rtf1 \\u-3913?}"), u"\uF0B7\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\u-10179?\\u-8704?}"), u"\U0001F600\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\u99999999?\\u-40000?}"), u"\uFFFD\uFFFD\r");
}

TEST(RtfNumbering, binaryData_isSteppedOver)
{
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin3 {}\\b}"), u"ab\r");
    EXPECT_EQ(TextOf("{\\rtf1 a{\\*\\blob\\bin2 }}x}b}"), u"ab\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin999 xy"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin-5 b}"), u"ab\r");
}

TEST(RtfNumbering, nonTextDestinations_countNothing)
{
    EXPECT_EQ(TextOf("{\\rtf1{\\fonttbl{\\f0\\fswiss{\\*\\panose 0204}Arial{\\*\\falt Helv};}}"
                     "{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s1 Heading;}}"
                     "{\\info{\\title T}{\\author A}}{\\header head\\par}{\\footerl foot}"
                     "{\\*\\generator Writer;}{\\*\\unknown text}{\\*\\themedata 504b}"
                     "{\\*\\latentstyles{\\lsdlockedexcept x;}}{\\*\\datastore 0102}"
                     "{\\*\\xmlnstbl{\\xmlns1 u}}{\\*\\listtable{\\list{\\listlevel{\\leveltext x;}}}}"
                     "{\\*\\listoverridetable{\\listoverride\\ls1}}{\\*\\rsidtbl\\rsid1}"
                     "{\\footnote note}{\\*\\bkmkstart b}body{\\*\\bkmkend b}}"),
              u"body\r");
    // A destination that escapes a brace or holds binary data still ends at its own brace.
    EXPECT_EQ(TextOf("{\\rtf1{\\*\\x \\} \\{ \\\\}a{\\*\\y\\bin1 }}b}"), u"ab\r");
}

TEST(RtfNumbering, fields_resultCountsInstructionDoesNot)
{
    const RichDocument doc = testing::Read(
        "{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"target\" }{\\fldrslt {\\ul the link}}} and "
        "{\\field{\\fldinst { PAGE }}{\\fldrslt 7}}.}");
    EXPECT_EQ(doc.text, u"See the link and 7.\r");
    ASSERT_EQ(doc.hyperlinks.size(), 1u); // PAGE is not a link
    EXPECT_EQ(doc.hyperlinks[0].first, 4);
    EXPECT_EQ(doc.hyperlinks[0].last, 11);
    EXPECT_EQ(doc.hyperlinks[0].target, u"target");
}

TEST(RtfNumbering, pictures_onePositionEachWhateverTheirKind)
{
    EXPECT_EQ(
        TextOf("{\\rtf1 a{\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 0102}}b}"),
        u"a\uFFFCb\r");
    EXPECT_EQ(TextOf("{\\rtf1 a{\\pict\\wmetafile8\\picw10 0102}b{\\pict\\emfblip 01}}"),
              u"a\uFFFCb\uFFFC\r");
    EXPECT_EQ(
        TextOf("{\\rtf1 {\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}{\\result{\\pict 00}}}}"),
        u"\uFFFC\r");
    EXPECT_EQ(TextOf("{\\rtf1 a{\\pict\\bin4 {{{{}b}"), u"a\uFFFCb\r");
}

TEST(RtfNumbering, tables_rowIsParagraphCellsSeparatedByTabs)
{
    // The row's last \cell adds no tab; \row is the paragraph mark.
    EXPECT_EQ(TextOf("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row\\pard c\\par}"),
              u"a\tb\rc\r");
    EXPECT_EQ(TextOf("{\\rtf1\\trowd\\cellx1\\cellx2\\cellx3\\intbl\\cell\\cell x\\cell\\row}"), u"\t\tx\r");
    EXPECT_EQ(TextOf("{\\rtf1\\intbl a\\cell\\cell\\row}"), u"a\t\r");
    // A \par inside a row breaks the line only, so the row stays one paragraph.
    EXPECT_EQ(TextOf("{\\rtf1\\intbl a\\par b\\cell c\\cell\\row\\pard d\\par e}"), u"a\vb\tc\rd\re\r");
    // Word's row end in its own group, and nested table cells.
    EXPECT_EQ(TextOf("{\\rtf1\\intbl a\\cell{\\trowd\\cellx1\\row}b}"), u"a\rb\r");
    EXPECT_EQ(TextOf("{\\rtf1\\intbl a\\nestcell b\\nestcell{\\nestrow}{\\nonesttables x\\par}c\\cell\\row}"),
              u"a\tb\vc\r");
}

TEST(RtfNumbering, listMarkers_takeNoPosition)
{
    EXPECT_EQ(TextOf("{\\rtf1{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}One\\par"
                     "{\\pntext\\f1\\'B7\\tab}Two\\par}"),
              u"One\rTwo\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ls1{\\listtext\\pard\\plain \\u8226\\'95\\tab}One\\par}"), u"One\r");
}

TEST(RtfNumbering, hiddenText_isCounted)
{
    const RichDocument doc = testing::Read("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}");
    EXPECT_EQ(doc.text, u"ahiddenbcd\r");
    const std::vector<TextSpan> expected = {{1, 6}, {8, 1}};
    EXPECT_EQ(HiddenSpans(doc), expected);
}

TEST(RtfNumbering, inputThatIsNotRtf_isPlainWindows1252Text)
{
    EXPECT_EQ(TextOf("Plain\r\ntext\rwith\nbreaks \xe9\t!"), u"Plain\rtext\rwith\rbreaks é\t!\r");
    EXPECT_EQ(TextOf("line\r\n"), u"line\r");
    EXPECT_EQ(TextOf(""), u"\r");
    EXPECT_EQ(TextOf("{\\rt"), u"{\\rt\r");
    EXPECT_EQ(TextOf("  \r\n{\\rtf1 x}"), u"x\r"); // blank lines before the document
}

} // namespace
} // namespace mirelda
