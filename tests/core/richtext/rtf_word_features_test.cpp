// What Word, WordPad and LibreOffice write around the text: font-table sub-groups, symbol
// fonts, mislabelled and wrapped picture data, list labels in letters, table words. Each keeps
// the character numbering it had.

#include <gtest/gtest.h>

#include "rtf_test_support.h"

namespace mirelda {
namespace {

using testing::Read;
using testing::Rtf;
using testing::TextOf;

TEST(RtfWordFeatures, fontNames_surviveTheSubGroupsBeforeAndAfterThem)
{
    const RichDocument doc = Read(
        "{\\rtf1{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
        "{\\f1\\fswiss{\\*\\falt Helv}Arial;}"
        "{\\f2{\\*\\fname Courier;}{\\*\\fontemb\\fttruetype{\\*\\fontfile 0102}}Courier New;}"
        "{\\f3 Calibri{\\*\\falt Carlito};}\\f4\\fnil Cambria;}"
        "\\f0 a}");
    ASSERT_EQ(doc.fonts.size(), 5u);
    EXPECT_EQ(doc.fonts[0].name, u"Times New Roman");
    EXPECT_EQ(doc.fonts[0].family, FontFamily::Roman);
    EXPECT_EQ(doc.fonts[1].name, u"Arial");
    EXPECT_EQ(doc.fonts[2].name, u"Courier New");
    EXPECT_EQ(doc.fonts[3].name, u"Calibri");
    EXPECT_EQ(doc.fonts[4].name, u"Cambria");
    EXPECT_EQ(doc.text, u"a\r");
}

TEST(RtfWordFeatures, symbolFontText_readsAsTheSymbolsShownOneUnitPerByte)
{
    const std::string body = "\\f1\\'c5 ab\\u61637 ?\\f0 ab\\f2\\'fc J\\'a7\\f3 a}";
    const std::string fonts = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}"
                              "{\\f2\\fcharset2 Wingdings;}{\\f3\\fcharset2 Marlett;}}";
    const RichDocument doc = Read(fonts + body);
    EXPECT_EQ(doc.text, u"\u2295 \u03B1\u03B2\u2295ab\u2714 \u263A\u25AAa\r");
    EXPECT_LT(doc.fonts[1].codePage, 0);
    // The same bytes in an ordinary font: as many positions.
    EXPECT_EQ(TextOf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 A;}{\\f2 B;}{\\f3 C;}}" + body).size(),
              doc.text.size());
    // A bullet in \listtext shows the symbol's bullet.
    const RichDocument list = Read(fonts + "\\ls1{\\listtext\\f2\\'a7\\tab}x\\par}");
    EXPECT_EQ(list.paragraphs[0].format.list.text, u"\u25AA");
}

TEST(RtfWordFeatures, damagedHexEscape_keepsItsPositionShowingNothing)
{
    EXPECT_EQ(TextOf("{\\rtf1 A\\'3?B}"), u"A\u2060B\r");
    EXPECT_EQ(TextOf("{\\rtf1 A\\'3}B}"), u"A\r"); // a brace stays a brace
    EXPECT_EQ(TextOf("{\\rtf1 A\\'3\\par B}"), u"A\rB\r");
    EXPECT_EQ(TextOf("{\\rtf1 A\\'3f B}"), u"A? B\r");
}

std::string Hex(std::string_view bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(RtfWordFeatures, pictureData_isTakenForWhatItsSignatureSays)
{
    using namespace std::string_literals;
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s;
    const std::string gif = "GIF89a\x02\0\x02\0\0\0\0"s;
    const std::string bmp = "BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"s;
    // Placeable header (22 bytes), then the 18-byte header.
    const std::string wmf = "\xd7\xcd\xc6\x9a\0\0\0\0\0\0\xe8\x03\xe8\x03\xa0\x05\0\0\0\0\0\0"
                            "\x01\0\x09\0\0\x03\x09\0\0\0\0\0\0\0\0\0\0\0"s;
    const RichDocument doc = Read(Rtf("{\\pict\\jpegblip\\picw1\\pich2 " + Hex(png) + "}" +
                                      "{\\pict\\pngblip " + Hex(gif) + "}" +               //
                                      "{\\pict\\dibitmap0 " + Hex(bmp) + "}" +             //
                                      "{\\pict\\pngblip\\picw1\\pich2 " + Hex(wmf) + "}" + //
                                      "{\\pict\\dibitmap0\\picw1 28000000020000000200000001001800}"));
    ASSERT_EQ(doc.pictures.size(), 5u);
    EXPECT_EQ(doc.pictures[0].kind, PictureKind::Png);
    EXPECT_EQ(doc.pictures[1].kind, PictureKind::Gif);
    EXPECT_EQ(doc.pictures[2].kind, PictureKind::Bmp);
    EXPECT_EQ(doc.pictures[3].kind, PictureKind::Wmf);
    EXPECT_EQ(doc.pictures[4].kind, PictureKind::Dib); // no signature: the word stands
    // \picw and \pich were in the announced kind's unit: not the data's size any more.
    EXPECT_EQ(doc.pictures[0].pixelWidth, 0);
    EXPECT_EQ(doc.pictures[3].pixelHeight, 0);
    EXPECT_EQ(doc.pictures[4].pixelWidth, 1);
    EXPECT_EQ(doc.pictures[3].bytes.size(), wmf.size());
}

TEST(RtfWordFeatures, binaryPictureData_isReadInsideSubGroupsOfPict)
{
    using namespace std::string_literals;
    const std::string jpeg = "\xff\xd8\xff\xe0}{\\"s; // braces and a backslash inside the data
    const RichDocument doc =
        Read(Rtf("a{\\pict{\\*\\picprop{\\sp{\\sn fFlipH}{\\sv 1}}{\\sp{\\sn fFlipV}{\\sv 0}}}\\pngblip"
                 "{\\*\\blipuid 89504e470d0a1a0a}{\\bin7 " +
                 jpeg + "}}b{\\pict\\pngblip{\\bin99999 " + jpeg + "}}"));
    EXPECT_EQ(doc.text, u"a\uFFFCb\uFFFC\r");
    ASSERT_EQ(doc.pictures.size(), 2u);
    EXPECT_EQ(doc.pictures[0].kind, PictureKind::Jpeg);
    EXPECT_EQ(doc.pictures[0].bytes.size(), 7u);
    EXPECT_TRUE(doc.pictures[0].flipHorizontal);
    EXPECT_FALSE(doc.pictures[0].flipVertical);
    // A length past the end takes what there is (the closing braces too), and the document
    // ends there.
    EXPECT_EQ(doc.pictures[1].kind, PictureKind::Jpeg);
    EXPECT_EQ(doc.pictures[1].bytes.size(), jpeg.size() + 3);
}

TEST(RtfWordFeatures, listLabelsInLetters_numberTheirParagraphs)
{
    const RichDocument doc = Read(Rtf("\\ls1{\\listtext a.\\tab}one\\par{\\listtext iv.\\tab}two\\par"
                                      "{\\listtext (C)\\tab}three\\par{\\listtext I.\\tab}four\\par"
                                      "{\\listtext o\\tab}five\\par{\\listtext v)\\tab}six\\par"));
    ASSERT_EQ(doc.paragraphs.size(), 6u);
    const auto marker = [&](std::size_t i) { return doc.paragraphs[i].format.list; };
    EXPECT_EQ(marker(0).kind, ListKind::LowerLetter);
    EXPECT_EQ(marker(0).number, 1);
    EXPECT_EQ(marker(0).text, u"a.");
    EXPECT_EQ(marker(1).kind, ListKind::LowerRoman);
    EXPECT_EQ(marker(1).number, 4);
    EXPECT_EQ(marker(2).kind, ListKind::UpperLetter);
    EXPECT_EQ(marker(2).number, 3);
    EXPECT_EQ(marker(3).kind, ListKind::UpperRoman);
    EXPECT_EQ(marker(3).number, 1);
    EXPECT_EQ(marker(4).kind, ListKind::Bullet); // Word's hollow bullet of the second level
    EXPECT_EQ(marker(5).kind, ListKind::LowerLetter);
    EXPECT_EQ(marker(5).number, 22);
}

TEST(RtfWordFeatures, pictureBullet_comesFromTheListTableAndTakesNoPosition)
{
    const std::string list =
        "{\\*\\listtable{\\*\\listpicture{\\*\\shppict{\\pict\\pngblip 89504e470d0a1a0a0000}}}"
        "{\\list{\\listlevel\\levelnfc23\\levelpicture0{\\leveltext\\'01\\u-3913 ?;}}"
        "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01.;}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls3}}";
    const RichDocument doc = Read(Rtf(list + "{\\listtext\\'b7\\tab}\\ls3 one\\par"
                                             "{\\listtext a.\\tab}\\ls3\\ilvl1 two\\par"
                                             "\\pard{\\listtext\\'b7\\tab}\\ls4 three\\par"));
    EXPECT_EQ(doc.text, u"one\rtwo\rthree\r");
    EXPECT_TRUE(doc.pictures.empty());
    ASSERT_EQ(doc.listPictures.size(), 1u);
    EXPECT_EQ(doc.listPictures[0].kind, PictureKind::Png);
    EXPECT_EQ(doc.paragraphs[0].format.list.kind, ListKind::Bullet);
    EXPECT_EQ(doc.paragraphs[0].format.list.picture, 0);
    EXPECT_EQ(doc.paragraphs[1].format.list.picture, -1); // its level shows a letter
    EXPECT_EQ(doc.paragraphs[1].format.list.kind, ListKind::LowerLetter);
    EXPECT_EQ(doc.paragraphs[2].format.list.picture, -1); // another list
}

TEST(RtfWordFeatures, tableWords_verticalMergesPaddingAndCellsBeforeTrowd)
{
    const RichDocument doc =
        Read(Rtf("\\trowd\\clvmgf\\clpadl100\\clpadfl3\\clpadt200\\clpadft3\\clpadr50\\cellx1000"
                 "\\clvmrg\\clpadb70\\cellx2000\\intbl a\\cell b\\cell\\row"
                 "\\cellx500\\cellx4000\\trowd\\trgaph108\\intbl c\\cell d\\cell\\row"
                 "\\trowd\\cellx3000\\intbl e\\cell\\row"));
    ASSERT_EQ(doc.tableRows.size(), 3u);
    const auto& cells = doc.tableRows[0].cells;
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_TRUE(cells[0].verticalMergeFirst);
    EXPECT_TRUE(cells[1].verticalMerged);
    EXPECT_EQ(cells[0].paddingTop, 100); // \clpadl, as Word reads it
    EXPECT_EQ(cells[0].paddingLeft, 200);
    EXPECT_EQ(cells[0].paddingRight, -1); // no unit: the row's
    EXPECT_EQ(cells[1].paddingBottom, -1);
    ASSERT_EQ(doc.tableRows[1].cells.size(), 2u);
    EXPECT_EQ(doc.tableRows[1].cells[0].edge, 500);
    EXPECT_EQ(doc.tableRows[1].cells[1].edge, 4000);
    EXPECT_EQ(doc.tableRows[1].gap, 108);
    ASSERT_EQ(doc.tableRows[2].cells.size(), 1u);
    EXPECT_EQ(doc.tableRows[2].cells[0].edge, 3000);
}

TEST(RtfWordFeatures, pageInsideACell_keepsItsPositionInTheRow)
{
    const RichDocument doc =
        Read(Rtf("\\trowd\\cellx1000\\cellx2000\\intbl a\\page b\\cell c\\page\\cell\\row\\pard x"));
    EXPECT_EQ(doc.text, u"a\u2060b\tc\u2060\rx\r");
    ASSERT_EQ(doc.tableRows.size(), 1u);
    EXPECT_FALSE(doc.paragraphs[1].format.pageBreakBefore);
}

} // namespace
} // namespace mirelda
