// Damaged and hostile RTF: whatever comes in, the reader ends with a well-formed model, the
// same text both ways, and no more positions than input bytes.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rtf_test_support.h"

namespace mirelda {
namespace {

using testing::Read;
using testing::TextOf;

std::string Repeat(std::string_view s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(RtfMalformed, unbalancedBraces_closeAtTheEndOrStopTheDocument)
{
    EXPECT_EQ(TextOf("{\\rtf1 {\\b a"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1 a}}}b"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1 {{{"), u"\r");
    EXPECT_EQ(TextOf("{\\rtf1 {\\*\\skipped a\\par b"), u"\r");
    EXPECT_EQ(TextOf("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt ab"), u"ab\r");
    EXPECT_EQ(Read("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt ab").hyperlinks.size(), 1u);
    EXPECT_EQ(TextOf("{\\rtf1 {\\pict\\pngblip 89504e47"), u"\uFFFC\r");
}

TEST(RtfMalformed, truncatedAnywhere_readsWhatCameBefore)
{
    EXPECT_EQ(TextOf("{\\rtf1 a\\"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\'e"), u"a\r"); // one hex digit: byte 0x0E, a control character
    EXPECT_EQ(TextOf("{\\rtf1 a\\u"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1 a\\u-"), u"a-\r"); // a "-" without digits is no parameter
    EXPECT_EQ(TextOf("{\\rtf1 a\\u8364"), u"a€\r");
    // Every prefix of a real document.
    std::ifstream file(MIRELDA_SOURCE_DIR "/tests/data/rtf/libreoffice_article.rtf", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string sample = bytes.str();
    ASSERT_GT(sample.size(), 1000u);
    for (std::size_t n = 0; n <= sample.size(); ++n) {
        const std::string_view prefix(sample.data(), n);
        const RichDocument doc = ReadRtf(prefix);
        ASSERT_EQ(CheckDocument(doc), "") << n;
        ASSERT_EQ(ExtractPlainText(prefix), doc.text) << n;
    }
}

TEST(RtfMalformed, badHex_isTextNotAnEscape)
{
    EXPECT_EQ(TextOf("{\\rtf1 \\'zz\\'g1}"), u"zzg1\r");
    EXPECT_EQ(TextOf("{\\rtf1 \\'4}"), u"\r");
    EXPECT_EQ(TextOf("{\\rtf1 {\\pict\\pngblip 8g9z5}x}"), u"\uFFFCx\r");
}

TEST(RtfMalformed, hugeNumbers_areClamped)
{
    const RichDocument doc =
        Read("{\\rtf1\\fs99999999999999999999\\li-99999999999999999\\cf4294967297"
             "\\f99999999999999 a\\pard\\tx99999999999999999 b\\uc999999999999 \\u8364 xyz}");
    EXPECT_EQ(doc.text, u"ab€\r");
    EXPECT_EQ(doc.runs[0].format.halfPoints, 3276);
    EXPECT_EQ(doc.paragraphs[0].format.tabs.size(), 1u);
    EXPECT_GT(doc.paragraphs[0].format.tabs[0].position, 0);
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin99999999999999999999 bcd}"), u"a\r");
    EXPECT_EQ(TextOf("{\\rtf1\\ansicpg-1 \\'e9}"), u"é\r");
}

TEST(RtfMalformed, tooManyTabsCellsAndFonts_areCapped)
{
    const RichDocument doc = Read("{\\rtf1 " + Repeat("\\tx100", 1) + [] {
        std::string s;
        for (int i = 1; i <= 100; ++i)
            s += "\\tx" + std::to_string(i * 10);
        for (int i = 1; i <= 100; ++i)
            s += "\\cellx" + std::to_string(i * 10);
        return s;
    }() + "\\intbl a\\row}");
    EXPECT_EQ(doc.paragraphs[0].format.tabs.size(), 32u);
    ASSERT_EQ(doc.tableRows.size(), 1u);
    EXPECT_EQ(doc.tableRows[0].cells.size(), 64u);

    const RichDocument fonts =
        Read("{\\rtf1{\\fonttbl" + Repeat("{\\f1 A;}", 5000) + "{\\f2\\fcharset204 C;}}\\f2\\'e9}");
    EXPECT_EQ(fonts.fonts.size(), 4096u);
    EXPECT_EQ(fonts.text, u"é\r"); // font 2 came too late to count
}

TEST(RtfMalformed, deepNesting_keepsTextAndRestoresFormattingAfterwards)
{
    constexpr std::size_t kDeep = 50'000;
    const RichDocument doc = Read("{\\rtf1 a" + Repeat("{", kDeep) +
                                  "\\b b\\line{\\*\\x no}{\\fldinst no}"
                                  "{\\pict 00}c" +
                                  Repeat("}", kDeep) + "d}");
    EXPECT_EQ(doc.text, u"ab\v\uFFFCcd\r");
    EXPECT_FALSE(RunAt(doc, 5)->format.bold);
    // Unclosed: the input just ends.
    EXPECT_EQ(TextOf("{\\rtf1" + Repeat("{\\i x", kDeep)), std::u16string(kDeep, u'x') + u"\r");
    // Deep inside a skipped destination nothing is pushed, and the text after it is read.
    EXPECT_EQ(TextOf("{\\rtf1 {\\*\\x" + Repeat("{", kDeep) + Repeat("}", kDeep) + "}y}"), u"y\r");
    // Deep inside the colour table (read by one reader only), then back to text.
    EXPECT_EQ(TextOf("{\\rtf1{\\colortbl" + Repeat("{\\pict ", 2000) + Repeat("}", 2000) + "}z}"), u"z\r");
}

// Shapes in shapes, text boxes in text boxes, tables in tables: each kept to a bounded depth,
// their text counted exactly as before, their sizes clamped.
TEST(RtfMalformed, deepShapesAndTables_areBounded)
{
    constexpr std::size_t kDeep = 3000;
    const RichDocument groups =
        Read("{\\rtf1 a" + Repeat("{\\shpgrp{\\*\\shpinst\\shpright10", kDeep) + Repeat("}}", kDeep) + "b}");
    EXPECT_EQ(groups.text, u"ab\r");
    ASSERT_EQ(groups.shapes.size(), 1u);
    std::size_t depth = 0;
    for (const RichShape* s = &groups.shapes[0]; !s->children.empty(); s = &s->children[0])
        ++depth;
    EXPECT_LT(depth, 16u);

    const RichDocument boxes =
        Read("{\\rtf1 " + Repeat("{\\shp{\\*\\shpinst{\\shptxt t", 200) + Repeat("}}}", 200) + "c}");
    EXPECT_EQ(boxes.text, u"c\r");
    std::size_t boxDepth = 0;
    for (const RichDocument* d = &boxes; !d->shapes.empty() && !d->shapes[0].text.empty();
         d = &d->shapes[0].text[0])
        ++boxDepth;
    EXPECT_GE(boxDepth, 1u);
    EXPECT_LT(boxDepth, 8u);

    const RichDocument tables =
        Read("{\\rtf1\\intbl\\itap900 a\\nestcell b\\nestcell" +
             Repeat("{\\*\\nesttableprops\\trowd\\cellx1\\nestrow}", 50) + "\\itap1 c\\cell\\row}");
    EXPECT_EQ(tables.text, u"a\tb\tc\r");
    for (const RichNestedRow& row : tables.nestedRows)
        EXPECT_LE(row.depth, 8);

    const RichDocument absurd =
        Read("{\\rtf1{\\shp{\\*\\shpinst\\shpleft-2147483648\\shpright-5\\shptop99999999999"
             "{\\sp{\\sn groupRight}{\\sv 99999999999999999999999}}{\\sp{\\sn lineWidth}{\\sv -7}}"
             "{\\shptxt x}}}}");
    ASSERT_EQ(absurd.shapes.size(), 1u);
    const RichShape& shape = absurd.shapes[0];
    EXPECT_LE(shape.left, shape.right);
    EXPECT_LE(shape.top, shape.bottom);
    EXPECT_GE(shape.left, -(1 << 20));
    EXPECT_LE(shape.bottom, 1 << 20);
    EXPECT_GE(shape.lineWidth, 0);

    // A text or property whose group is the shape's own: it ends the shape while it is read.
    const RichDocument own = Read("{\\rtf1{\\shp{\\*\\shpinst{\\shp\\shptxt x}{\\shp\\sv {\\pict\\pngblip "
                                  "89504e470d0a1a0a00}}}}y}");
    EXPECT_EQ(own.text, u"y\r");
    ASSERT_EQ(own.shapes.size(), 1u);
    EXPECT_EQ(own.shapes[0].children.size(), 2u);

    // A shape after the last mark, which merged into the final one, is drawn before that mark
    // (Read checks the model's promises).
    EXPECT_EQ(Read("{\\rtf1 a\\par{\\shp{\\*\\shpinst{\\shptxt x}}{\\shprslt y\\par}}}").shapes.at(0).anchor,
              2);
    EXPECT_EQ(Read("{\\rtf1 a\\par{\\shp{\\*\\shpinst{\\shptxt x}}}}").shapes.at(0).anchor, 1);
}

// Huge spacing, fonts and pictures, a few bytes each, would make the view's layout stall past
// its height limit: past the budget the rest is shown plainly, its text and numbering kept.
TEST(RtfMalformed, hugeHeights_areBoundedOverTheArticle)
{
    const std::string spaced = "{\\rtf1" + Repeat("\\sb1000000\\sa1000000\\sl-20000 a\\par ", 2000) + "}";
    const RichDocument spacing = Read(spaced);
    ASSERT_EQ(spacing.paragraphs.size(), 2000u);
    EXPECT_EQ(spacing.paragraphs.front().format.spaceBefore, 1000000);
    EXPECT_EQ(spacing.paragraphs.back().format.spaceBefore, 0);
    EXPECT_EQ(spacing.paragraphs.back().format.lineSpacing, 0);
    std::size_t spacedParagraphs = 0;
    for (const RichParagraph& p : spacing.paragraphs)
        spacedParagraphs += p.format.spaceAfter > 0 ? 1 : 0;
    EXPECT_GT(spacedParagraphs, 50u);
    EXPECT_LT(spacedParagraphs, 200u);

    const RichDocument big = Read("{\\rtf1\\fs3276 " + Repeat("ab ", 5000) + "{\\fs20 c}}");
    EXPECT_EQ(big.text, TextOf("{\\rtf1 " + Repeat("ab ", 5000) + "c}"));
    // The huge text up to the budget, the rest at most 24 pt, the 10 pt "c", the final mark.
    ASSERT_EQ(big.runs.size(), 4u);
    EXPECT_EQ(big.runs[0].format.halfPoints, 3276);
    EXPECT_GT(big.runs[0].length, 100);
    EXPECT_EQ(big.runs[1].format.halfPoints, 48);
    EXPECT_EQ(big.runs[2].format.halfPoints, 20);
    EXPECT_EQ(big.runs[3].format.halfPoints, 48);

    const RichDocument tall =
        Read("{\\rtf1" + Repeat("{\\pict\\pngblip\\picwgoal100\\pichgoal1000000 00}", 1000) + "}");
    ASSERT_EQ(tall.pictures.size(), 1000u);
    EXPECT_EQ(tall.pictures.front().goalHeight, 1000000);
    EXPECT_EQ(tall.pictures.back().goalHeight, 360);

    // A text box is a document of its own, bounded as one.
    const RichDocument box =
        Read("{\\rtf1{\\shp{\\*\\shpinst{\\shptxt " + Repeat("\\sb1000000 a\\par ", 2000) + "}}}}");
    ASSERT_EQ(box.shapes.size(), 1u);
    ASSERT_EQ(box.shapes[0].text.size(), 1u);
    EXPECT_EQ(box.shapes[0].text[0].paragraphs.front().format.spaceBefore, 1000000);
    EXPECT_EQ(box.shapes[0].text[0].paragraphs.back().format.spaceBefore, 0);
}

TEST(RtfMalformed, secondColourTable_isIgnored)
{
    // Runs already point into the first table; a shorter second one must not strand them.
    const RichDocument doc = Read("{\\rtf1{\\colortbl;\\red1;\\red2;\\red3;}\\cf3 a{\\colortbl;}b}");
    EXPECT_EQ(doc.colors.size(), 4u);
    EXPECT_EQ(RunAt(doc, 1)->format.foreground, 3);
}

TEST(RtfMalformed, fieldAndListWordsOutOfPlace_changeNothing)
{
    EXPECT_EQ(TextOf("{\\rtf1 \\fldrslt a{\\fldinst b}{\\pntxtb c}{\\pntext d}e}"), u"ae\r");
    EXPECT_EQ(TextOf("{\\rtf1{\\fonttbl{\\f0{\\field{\\fldrslt x}}Arial;}}y}"), u"y\r");
    // A colour table inside a picture leaves the picture a picture.
    const RichDocument pict = Read("{\\rtf1{\\pict\\wmetafile8 0102{\\colortbl;\\red9;}\\colortbl 0304}x}");
    EXPECT_EQ(pict.text, u"\uFFFCx\r");
    EXPECT_TRUE(pict.colors.empty());
    // A font table inside a field instruction must not change the code page of the text.
    EXPECT_EQ(
        TextOf("{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}}{\\field{\\*\\fldinst {\\fonttbl{\\f0\\fcharset204 X;}}"
               "{\\ansicpg1251}}{\\fldrslt \\'e9}}}"),
        u"é\r");
}

} // namespace
} // namespace mirelda
