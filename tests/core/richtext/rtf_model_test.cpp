// What the rich reader keeps beside the text: formatting runs, paragraphs, tables of fonts and
// colours, pictures, links and list markers.

#include <gtest/gtest.h>

#include "rtf_test_support.h"

namespace mirelda {
namespace {

using testing::Read;
using testing::Rtf;

const CharFormat& FormatAt(const RichDocument& doc, std::int32_t position)
{
    const CharRun* run = RunAt(doc, position);
    EXPECT_NE(run, nullptr) << position;
    static const CharFormat none;
    return run ? run->format : none;
}

TEST(RtfModel, characterFormatting_followsGroupsAndToggles)
{
    const RichDocument doc = Read(Rtf("a{\\b b{\\i c}}\\ul d\\ul0 e\\uldb f\\ulnone\\strike g\\strike0"
                                      "\\super h\\nosupersub\\sub i\\plain\\caps j\\scaps k\\fs40 l"));
    ASSERT_EQ(doc.text, u"abcdefghijkl\r");
    EXPECT_FALSE(FormatAt(doc, 0).bold);
    EXPECT_TRUE(FormatAt(doc, 1).bold);
    EXPECT_FALSE(FormatAt(doc, 1).italic);
    EXPECT_TRUE(FormatAt(doc, 2).bold && FormatAt(doc, 2).italic);
    EXPECT_FALSE(FormatAt(doc, 3).bold);
    EXPECT_EQ(FormatAt(doc, 3).underline, UnderlineKind::Single);
    EXPECT_EQ(FormatAt(doc, 4).underline, UnderlineKind::None);
    EXPECT_EQ(FormatAt(doc, 5).underline, UnderlineKind::Double);
    EXPECT_TRUE(FormatAt(doc, 6).strike);
    EXPECT_EQ(FormatAt(doc, 7).vertical, VerticalAlign::Superscript);
    EXPECT_EQ(FormatAt(doc, 8).vertical, VerticalAlign::Subscript);
    EXPECT_TRUE(FormatAt(doc, 9).caps);
    EXPECT_EQ(FormatAt(doc, 9).vertical, VerticalAlign::Baseline); // \plain reset it
    EXPECT_TRUE(FormatAt(doc, 10).smallCaps);
    EXPECT_EQ(FormatAt(doc, 10).halfPoints, 24);
    EXPECT_EQ(FormatAt(doc, 11).halfPoints, 40);
    // The final mark takes the formatting in force at the end.
    EXPECT_EQ(FormatAt(doc, 12).halfPoints, 40);
}

TEST(RtfModel, fontsAndColours_areResolvedToTableIndexes)
{
    const RichDocument doc =
        Read("{\\rtf1\\ansi\\deff2{\\fonttbl{\\f2\\froman\\fprq2\\fcharset0 Times New Roman;}"
             "{\\f5\\fswiss\\fcharset204 Arial Cyr;}{\\f9\\fnil\\fcharset2 Symbol;}}"
             "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
             "a\\f5 b\\f9 c\\f77 d\\f2\\cf1 e\\cf2\\highlight1 f\\cf0\\cb0 g\\cf9 h}");
    ASSERT_EQ(doc.fonts.size(), 3u);
    EXPECT_EQ(doc.fonts[0].number, 2);
    EXPECT_EQ(doc.fonts[0].name, u"Times New Roman");
    EXPECT_EQ(doc.fonts[0].family, FontFamily::Roman);
    EXPECT_EQ(doc.fonts[0].pitch, 2);
    EXPECT_EQ(doc.fonts[1].codePage, 1251);
    EXPECT_EQ(doc.fonts[2].charset, 2);
    EXPECT_EQ(doc.defaultFont, 0);
    ASSERT_EQ(doc.colors.size(), 3u);
    EXPECT_TRUE(doc.colors[0].automatic);
    EXPECT_EQ(doc.colors[1].red, 255);
    EXPECT_EQ(doc.colors[2].green, 128);
    EXPECT_FALSE(doc.colors[2].automatic);

    EXPECT_EQ(FormatAt(doc, 0).font, -1); // the default font
    EXPECT_EQ(FormatAt(doc, 1).font, 1);
    EXPECT_EQ(FormatAt(doc, 2).font, 2);
    EXPECT_EQ(FormatAt(doc, 3).font, -1); // no such font
    EXPECT_EQ(FormatAt(doc, 4).foreground, 1);
    EXPECT_EQ(FormatAt(doc, 5).foreground, 2);
    EXPECT_EQ(FormatAt(doc, 5).background, 1);
    EXPECT_EQ(FormatAt(doc, 6).foreground, -1); // entry 0 is the automatic colour
    EXPECT_EQ(FormatAt(doc, 6).background, -1);
    EXPECT_EQ(FormatAt(doc, 7).foreground, -1); // out of the table
}

TEST(RtfModel, paragraphFormatting_appliesToTheParagraphItEnds)
{
    const RichDocument doc =
        Read(Rtf("\\qc\\li720\\ri360\\fi-360\\sb120\\sa240\\sl-300 centred\\par"
                 "\\pard\\tqr\\tldot\\tx5000\\tx1000\\tb3000\\sl360\\slmult1\\keepn second\\par"
                 "\\pard\\qj{\\qr grouped}\\page after a page"));
    ASSERT_EQ(doc.paragraphs.size(), 4u);
    const ParagraphFormat& a = doc.paragraphs[0].format;
    EXPECT_EQ(a.alignment, Alignment::Center);
    EXPECT_EQ(a.leftIndent, 720);
    EXPECT_EQ(a.rightIndent, 360);
    EXPECT_EQ(a.firstIndent, -360);
    EXPECT_EQ(a.spaceBefore, 120);
    EXPECT_EQ(a.spaceAfter, 240);
    EXPECT_EQ(a.lineSpacing, -300);
    EXPECT_FALSE(a.lineMultiple);

    const ParagraphFormat& b = doc.paragraphs[1].format;
    EXPECT_EQ(b.alignment, Alignment::Left);
    EXPECT_EQ(b.leftIndent, 0);
    EXPECT_EQ(b.lineSpacing, 360);
    EXPECT_TRUE(b.lineMultiple);
    EXPECT_TRUE(b.keepWithNext);
    const std::vector<TabStop> tabs = {{1000, TabKind::Left, TabLeader::None},
                                       {3000, TabKind::Bar, TabLeader::None},
                                       {5000, TabKind::Right, TabLeader::Dots}};
    EXPECT_EQ(b.tabs, tabs);

    // Paragraph properties are group-scoped: the \qr inside the group is gone at the \par.
    EXPECT_EQ(doc.paragraphs[2].format.alignment, Alignment::Justify);
    EXPECT_TRUE(doc.paragraphs[3].format.pageBreakBefore);
    EXPECT_FALSE(doc.paragraphs[2].format.pageBreakBefore);
    EXPECT_EQ(doc.paragraphs[3].start, 23);
    EXPECT_EQ(doc.paragraphs[3].mark, 35);
}

TEST(RtfModel, pictures_keepPngAndJpegDataAndGoalSize)
{
    const RichDocument doc =
        Read("{\\rtf1 {\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn a}{\\sv "
             "1}}}\\picw16\\pich8\\picwgoal240\\pichgoal120"
             "\\picscalex50\\pngblip 89504e470d0a1a0a\r\n0000}}{\\nonshppict{\\pict\\wmetafile8 0102}}"
             "{\\pict\\jpegblip\\picwgoal10\\pichgoal20 ffd8ffe0}"
             "{\\pict\\pngblip 00112233}"                // claims PNG, is not
             "{\\pict\\jpegblip\\bin4 \xff\xd8\xff\x01}" // binary data
             "{\\pict\\wmetafile8 0100}}");
    ASSERT_EQ(doc.text, u"\uFFFC\uFFFC\uFFFC\uFFFC\uFFFC\r");
    ASSERT_EQ(doc.pictures.size(), 5u);
    const RichPicture& png = doc.pictures[0];
    EXPECT_EQ(png.kind, PictureKind::Png);
    EXPECT_EQ(png.bytes, (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a, 0, 0}));
    EXPECT_EQ(png.goalWidth, 240);
    EXPECT_EQ(png.goalHeight, 120);
    EXPECT_EQ(png.pixelWidth, 16);
    EXPECT_EQ(png.scaleX, 50);
    EXPECT_EQ(png.scaleY, 100);
    EXPECT_EQ(doc.pictures[1].kind, PictureKind::Jpeg);
    EXPECT_EQ(doc.pictures[1].position, 1);
    EXPECT_EQ(doc.pictures[1].goalHeight, 20);
    EXPECT_EQ(doc.pictures[2].kind, PictureKind::Other);
    EXPECT_TRUE(doc.pictures[2].bytes.empty());
    EXPECT_EQ(doc.pictures[3].kind, PictureKind::Jpeg);
    EXPECT_EQ(doc.pictures[3].bytes.size(), 4u);
    EXPECT_EQ(doc.pictures[4].kind, PictureKind::Other);
}

TEST(RtfModel, hyperlinks_coverTheirResultWithTargetAndAnchor)
{
    const RichDocument doc = Read(
        "{\\rtf1 {\\field{\\*\\fldinst {HYPERLINK }{\"Art 12\"}}{\\fldrslt {A}{B}}}-"
        "{\\field{\\*\\fldinst HYPERLINK \\\\l \"sec\" \\\\o \"tip\"}{\\fldrslt C}}-"
        "{\\field{\\*\\fldinst hyperlink bare \\\\t \"_top\"}{\\fldrslt D\\par E}}-"
        "{\\field{\\*\\fldinst HYPERLINK \"empty\"}{\\fldrslt }}"
        "{\\field{\\*\\fldinst HYPERLINK \"outer\"}{\\fldrslt x{\\field{\\*\\fldinst HYPERLINK \"inner\"}"
        "{\\fldrslt y}}z}}}");
    ASSERT_EQ(doc.text, u"AB-C-D\rE-xyz\r");
    ASSERT_EQ(doc.hyperlinks.size(), 5u); // the empty result is no link
    EXPECT_EQ(doc.hyperlinks[0].first, 0);
    EXPECT_EQ(doc.hyperlinks[0].last, 1);
    EXPECT_EQ(doc.hyperlinks[0].target, u"Art 12");
    EXPECT_EQ(doc.hyperlinks[1].first, 3);
    EXPECT_EQ(doc.hyperlinks[1].target, u"");
    EXPECT_EQ(doc.hyperlinks[1].anchor, u"sec");
    EXPECT_EQ(doc.hyperlinks[2].target, u"bare");
    EXPECT_EQ(doc.hyperlinks[2].first, 5);
    EXPECT_EQ(doc.hyperlinks[2].last, 7);
    // Nested fields: in position order, each with its own range.
    EXPECT_EQ(doc.hyperlinks[3].target, u"outer");
    EXPECT_EQ(doc.hyperlinks[3].first, 9);
    EXPECT_EQ(doc.hyperlinks[3].last, 11);
    EXPECT_EQ(doc.hyperlinks[4].target, u"inner");
    EXPECT_EQ(doc.hyperlinks[4].first, 10);
    EXPECT_EQ(doc.hyperlinks[4].last, 10);
}

TEST(RtfModel, tableRows_areMarkedWithTheirCellEdges)
{
    const RichDocument doc = Read("{\\rtf1\\trowd\\cellx1500\\cellx4000\\intbl a\\cell b\\cell\\row"
                                  "\\trowd\\cellx2000\\intbl c\\cell\\row\\pard d}");
    ASSERT_EQ(doc.paragraphs.size(), 3u);
    EXPECT_TRUE(doc.paragraphs[0].format.tableRow);
    EXPECT_TRUE(doc.paragraphs[1].format.tableRow);
    ASSERT_EQ(doc.tableRows.size(), 2u);
    const auto edges = [&](std::size_t r) {
        std::vector<std::int32_t> out;
        for (const TableCell& c : doc.tableRows[r].cells)
            out.push_back(c.edge);
        return out;
    };
    EXPECT_EQ(edges(0), (std::vector<std::int32_t>{1500, 4000}));
    EXPECT_EQ(edges(1), (std::vector<std::int32_t>{2000}));
    EXPECT_FALSE(doc.paragraphs[2].format.tableRow);
}

// The row definition (widths, borders, shading, merges, alignment, height) is kept per row, and
// the row knows which of its tabs close cells: a \tab or a nested table's cell inside a cell
// does not.
TEST(RtfModel, tableRows_keepTheirDefinitionAndCellSeparators)
{
    const RichDocument doc =
        Read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
             "\\trowd\\trgaph108\\trpaddl100\\trleft-108\\trrh-400\\trqc\\trbrdrb\\brdrs\\brdrw15"
             "\\clbrdrt\\brdrdb\\brdrw20\\brdrcf1\\clbrdrl\\brdrs\\clcbpat2\\clvertalc\\clmgf\\cellx1500"
             "\\clmrg\\clcfpat1\\clshdng2500\\cellx3000\\clvertalb\\brdrt\\brdrs\\cellx4000"
             "\\pard\\intbl\\qc a\\tab b\\cell\\pard\\intbl\\cell "
             "x\\nestcell\\qr\\li20\\ri30\\fi-10\\sb40\\sa50 y\\par"
             "\\pard\\intbl z\\cell\\row"
             "\\pard d\\par"
             "{\\trowd\\cellx900\\intbl e\\line f\\cell\\row}}");
    ASSERT_EQ(doc.text, u"a\tb\t\tx\ty\vz\rd\re\vf\r");
    ASSERT_EQ(doc.tableRows.size(), 2u);
    const RichTableRow& row = doc.tableRows[0];
    EXPECT_EQ(row.start, 0);
    EXPECT_EQ(row.mark, 10);
    EXPECT_EQ(row.separators, (std::vector<std::int32_t>{3, 4}));
    EXPECT_EQ(row.cellAlignments,
              (std::vector<Alignment>{Alignment::Center, Alignment::Left, Alignment::Left}));
    // A \par in a cell is a line-break position that ends a paragraph with its own format;
    // a \line is not.
    EXPECT_EQ(row.paragraphBreaks,
              (std::vector<CellParagraphBreak>{{8, Alignment::Right, 20, 30, -10, 40, 50}}));
    EXPECT_TRUE(doc.tableRows[1].paragraphBreaks.empty());
    EXPECT_EQ(row.origin, -108);
    EXPECT_EQ(row.gap, 108);
    EXPECT_EQ(row.paddingLeft, 100);
    EXPECT_EQ(row.paddingRight, -1);
    EXPECT_EQ(row.height, -400);
    EXPECT_EQ(row.alignment, Alignment::Center);
    EXPECT_EQ(row.bottom, (CellBorder{BorderStyle::Single, 15, -1}));
    ASSERT_EQ(row.cells.size(), 3u);
    const TableCell& first = row.cells[0];
    EXPECT_EQ(first.edge, 1500);
    EXPECT_EQ(first.top, (CellBorder{BorderStyle::Double, 20, 1}));
    EXPECT_EQ(first.left, (CellBorder{BorderStyle::Single, 0, -1}));
    EXPECT_EQ(first.right.style, BorderStyle::None);
    EXPECT_EQ(first.background, 2);
    EXPECT_EQ(first.vertical, CellAlignment::Center);
    EXPECT_TRUE(first.mergeFirst);
    const TableCell& second = row.cells[1];
    EXPECT_TRUE(second.merged);
    EXPECT_EQ(second.top.style, BorderStyle::None); // definitions do not leak into the next cell
    EXPECT_EQ(second.pattern, 1);
    EXPECT_EQ(second.shading, 2500);
    // A paragraph border between cell definitions is not a cell border.
    EXPECT_EQ(row.cells[2].top.style, BorderStyle::None);
    EXPECT_EQ(row.cells[2].vertical, CellAlignment::Bottom);
    // \trowd starts a new definition; the row ended in its own group keeps it.
    EXPECT_EQ(doc.tableRows[1].start, 13);
    ASSERT_EQ(doc.tableRows[1].cells.size(), 1u);
    EXPECT_EQ(doc.tableRows[1].cells[0].edge, 900);
    EXPECT_EQ(doc.tableRows[1].bottom.style, BorderStyle::None);
}

// A cell's tab is written only once the next cell's text begins; it must still belong to the
// cell it closes, not to the link or the formatting that opens the next one.
TEST(RtfModel, cellTabs_belongToTheCellTheyClose)
{
    const RichDocument doc = Read(
        "{\\rtf1\\trowd\\cellx1000\\cellx2000\\cellx3000\\cellx4000 "
        "{\\b a\\cell}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt{\\ul b}}}\\cell"
        "{\\v h}c\\cell{\\field{\\*\\fldinst HYPERLINK \"empty\"}{\\fldrslt \\cell}}\\row"
        "\\trowd\\cellx1000\\cellx2000\\cellx3000 {\\field{\\*\\fldinst HYPERLINK \"y\"}{\\fldrslt d}}\\cell"
        "{\\field{\\*\\fldinst HYPERLINK \"z\"}{\\fldrslt e\\cell}}f\\cell\\row}");
    ASSERT_EQ(doc.text, u"a\tb\thc\t\rd\te\tf\r");
    // n cells give n - 1 tabs, whatever the cells hold.
    ASSERT_EQ(doc.hyperlinks.size(), 3u); // a result that would hold only a tab is no link
    EXPECT_EQ(doc.hyperlinks[0].target, u"x");
    EXPECT_EQ(doc.hyperlinks[0].first, 2);
    EXPECT_EQ(doc.hyperlinks[0].last, 2);
    EXPECT_EQ(doc.hyperlinks[1].first, 8);
    EXPECT_EQ(doc.hyperlinks[1].last, 8);
    // A \cell inside the result closes the result's cell; its tab is not in the link.
    EXPECT_EQ(doc.hyperlinks[2].first, 10);
    EXPECT_EQ(doc.hyperlinks[2].last, 10);
    // Each tab has the format in force at its \cell.
    EXPECT_TRUE(FormatAt(doc, 1).bold);
    EXPECT_EQ(FormatAt(doc, 1).underline, UnderlineKind::None);
    EXPECT_EQ(FormatAt(doc, 2).underline, UnderlineKind::Single);
    EXPECT_FALSE(FormatAt(doc, 3).hidden);
    EXPECT_EQ(FormatAt(doc, 3).underline, UnderlineKind::None);
    EXPECT_TRUE(FormatAt(doc, 4).hidden);
    EXPECT_FALSE(FormatAt(doc, 5).hidden);
    EXPECT_EQ(HiddenSpans(doc), (std::vector<TextSpan>{{4, 1}}));
}

// Shapes take no position: their \shprslt is counted as the text it holds, and noted so that a
// view can draw the shape in its place; the instance, text boxes and old drawing objects count
// nothing.
TEST(RtfModel, shapes_recordedBesideTheTextTheirFallbackCounts)
{
    const char* png = "89504e470d0a1a0a0000000d49484452";
    const RichDocument doc = Read(Rtf(
        std::string(
            "{\\colortbl;\\red0\\green0\\blue255;}a{\\shp{\\*\\shpinst\\shpleft100\\shptop200\\shpright2100"
            "\\shpbottom1700\\shpbxpage\\shpbypara\\shpwr1{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn "
            "pib}{\\sv "
            "{\\pict\\pngblip\\picwgoal600 ") +
        png +
        "}}}{\\sp{\\sn posh}{\\sv 3}}}{\\shprslt\\par{\\pict\\wmetafile8 0100}\\par}}b"
        "{\\shp{\\*\\shpinst\\shpright3000\\shpbottom900{\\sp{\\sn fillColor}{\\sv 255}}{\\sp{\\sn "
        "fPseudoInline}"
        "{\\sv 1}}{\\shptxt\\pard\\b Bo{\\cf1 x}\\par}}{\\shprslt{\\*\\do\\dptxbx{\\dptxbxtext fallback}}}}c"
        "{\\shpgrp{\\*\\shpinst\\shpright400\\shpbottom400{\\sp{\\sn groupRight}{\\sv 40}}"
        "{\\shp{\\*\\shpinst{\\sp{\\sn relRight}{\\sv 40}}{\\sp{\\sn relBottom}{\\sv 20}}{\\shptxt one}}}"
        "{\\shp{\\*\\shpinst{\\sp{\\sn relTop}{\\sv 20}}{\\sp{\\sn relBottom}{\\sv 40}}{\\shptxt two}}}}}d"
        "{\\*\\do\\dobxpage\\dptxbx{\\dptxbxtext old}\\dpx10\\dpy20\\dpxsize300\\dpysize400}e\\par"));
    ASSERT_EQ(doc.text, u"a\r\uFFFC\rbcde\r");
    ASSERT_EQ(doc.pictures.size(), 1u); // the fallback's
    ASSERT_EQ(doc.shapes.size(), 4u);

    const RichShape& photo = doc.shapes[0];
    EXPECT_EQ(photo.anchor, 1);
    EXPECT_EQ(photo.resultFirst, 1);
    EXPECT_EQ(photo.resultLength, 3);
    EXPECT_EQ((std::vector<std::int32_t>{photo.left, photo.top, photo.right, photo.bottom}),
              (std::vector<std::int32_t>{100, 200, 2100, 1700}));
    EXPECT_EQ(photo.horizontalFrom, ShapeReference::Page);
    EXPECT_EQ(photo.verticalFrom, ShapeReference::Paragraph);
    EXPECT_EQ(photo.wrap, ShapeWrap::TopAndBottom);
    EXPECT_EQ(photo.horizontalAlign, 3);
    ASSERT_EQ(photo.picture.size(), 1u);
    EXPECT_EQ(photo.picture[0].kind, PictureKind::Png);
    EXPECT_EQ(photo.picture[0].goalWidth, 600);
    EXPECT_TRUE(ShapeDrawable(photo));

    // A text box is a document of its own, with the article's fonts and colours; its \do
    // fallback is not a second shape.
    const RichShape& box = doc.shapes[1];
    EXPECT_EQ(box.anchor, 5);
    EXPECT_EQ(box.resultLength, 0);
    EXPECT_TRUE(box.inlineShape);
    EXPECT_EQ(box.fillColor, 255);
    ASSERT_EQ(box.text.size(), 1u);
    const RichDocument& inner = box.text[0];
    EXPECT_EQ(inner.text, u"Box\r");
    EXPECT_TRUE(FormatAt(inner, 0).bold);
    EXPECT_EQ(FormatAt(inner, 2).foreground, 1);
    EXPECT_EQ(inner.fonts.size(), doc.fonts.size());

    const RichShape& group = doc.shapes[2];
    EXPECT_EQ(group.anchor, 6);
    EXPECT_EQ(group.groupRight, 40);
    ASSERT_EQ(group.children.size(), 2u);
    EXPECT_EQ(group.children[0].text[0].text, u"one\r");
    EXPECT_EQ(group.children[0].right, 40);
    EXPECT_EQ(group.children[1].top, 20);

    const RichShape& old = doc.shapes[3];
    EXPECT_EQ(old.anchor, 7);
    EXPECT_EQ((std::vector<std::int32_t>{old.left, old.top, old.right, old.bottom}),
              (std::vector<std::int32_t>{10, 20, 310, 420}));
    EXPECT_EQ(old.horizontalFrom, ShapeReference::Page);
    EXPECT_EQ(old.text[0].text, u"old\r");

    // Only the drawn photo's fallback is left to replace.
    EXPECT_EQ(ReplacedSpans(doc), (std::vector<TextSpan>{{1, 3}}));
}

// A nested table's cells are the outer cell's text (a \nestcell is a tab); its rows are noted
// with their cells' tabs and their own definition, at their depth.
TEST(RtfModel, nestedRows_keepTheirCellsAndDefinition)
{
    const RichDocument doc = Read(Rtf(
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl\\itap1 o\\cell\\pard\\intbl\\itap1 p\\par"
        "\\pard\\intbl\\itap2\\qc a\\nestcell\\pard\\intbl\\itap2\\nestcell"
        "{\\*\\nesttableprops\\trowd\\trgaph50\\cellx1000\\clcbpat1\\cellx2000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap2 b\\nestcell\\pard\\intbl\\itap3 x\\nestcell y\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
        "{\\nonesttables\\par}\\pard\\intbl\\itap1 q\\cell{\\trowd\\trgaph70\\cellx3000\\cellx6000\\row}"));
    ASSERT_EQ(doc.text, u"o\tp\va\t\tb\tx\ty\t\tq\r");
    ASSERT_EQ(doc.tableRows.size(), 1u);
    EXPECT_EQ(doc.tableRows[0].separators, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(doc.tableRows[0].gap, 70); // the outer definition survives the inner ones
    ASSERT_EQ(doc.nestedRows.size(), 3u);
    const RichNestedRow& first = doc.nestedRows[0];
    EXPECT_EQ(first.depth, 2);
    EXPECT_EQ(first.start, 4);
    EXPECT_EQ(first.end, 7);
    EXPECT_EQ(first.separators, (std::vector<std::int32_t>{5, 6}));
    EXPECT_EQ(first.definition.gap, 50);
    ASSERT_EQ(first.definition.cells.size(), 2u);
    EXPECT_EQ(first.definition.cells[1].edge, 2000);
    EXPECT_EQ(first.definition.cellAlignments, (std::vector<Alignment>{Alignment::Center, Alignment::Left}));
    const RichNestedRow& second = doc.nestedRows[1];
    EXPECT_EQ(second.depth, 2);
    EXPECT_EQ(second.start, 7);
    EXPECT_EQ(second.end, 14);
    EXPECT_EQ(second.separators, (std::vector<std::int32_t>{8, 13}));
    const RichNestedRow& deepest = doc.nestedRows[2];
    EXPECT_EQ(deepest.depth, 3);
    EXPECT_EQ(deepest.start, 9);
    EXPECT_EQ(deepest.end, 13);
    EXPECT_EQ(deepest.separators, (std::vector<std::int32_t>{10, 12}));
    EXPECT_EQ(deepest.definition.cells[1].edge, 900);
}

TEST(RtfModel, numberedAndBulletedParagraphs_getTheirMarkerText)
{
    const std::string pnDec = "{\\*\\pn\\pnlvlbody\\pnindent360\\pnstart1\\pndec{\\pntxta.}}";
    const RichDocument doc =
        Read("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
             "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}one\\par"
             "\\pard" +
             pnDec + "two\\par" + pnDec +
             "three\\par"
             "\\pard{\\*\\pn\\pnlvlcont}cont\\par"
             "\\pard" +
             pnDec +
             "four\\par"
             "\\pard plain\\par"
             "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4{\\pntxtb(}{\\pntxta)}}roman\\par"
             "\\pard{\\*\\pn\\pnlvlbody\\pnlcltr\\pnstart27}letters\\par"
             "\\pard\\ls2{\\listtext 3)\\tab}from list text\\par}");
    ASSERT_EQ(doc.paragraphs.size(), 9u);
    const auto marker = [&](std::size_t i) { return doc.paragraphs[i].format.list; };
    EXPECT_EQ(marker(0).kind, ListKind::Bullet);
    EXPECT_EQ(marker(0).text, u"\u2022");
    EXPECT_EQ(marker(0).font, 1);
    EXPECT_EQ(marker(1).kind, ListKind::Decimal);
    EXPECT_EQ(marker(1).text, u"1.");
    EXPECT_EQ(marker(1).indent, 360);
    EXPECT_EQ(marker(2).text, u"2.");
    EXPECT_EQ(marker(3).kind, ListKind::None); // continuation: no marker, the count goes on
    EXPECT_EQ(marker(4).text, u"3.");
    EXPECT_EQ(marker(4).number, 3);
    EXPECT_EQ(marker(5).kind, ListKind::None);
    EXPECT_EQ(marker(6).text, u"(IV)");
    EXPECT_EQ(marker(7).text, u"aa");
    EXPECT_EQ(marker(8).kind, ListKind::Decimal);
    EXPECT_EQ(marker(8).text, u"3)");
}

TEST(RtfModel, hiddenRuns_areIdentifiable)
{
    const RichDocument doc = Read("{\\rtf1 ab{\\v cd}ef\\v gh\\par ij}");
    ASSERT_EQ(doc.text, u"abcdefgh\rij\r");
    const std::vector<TextSpan> spans = {{2, 2}, {6, 6}}; // the mark and what follows are hidden too
    EXPECT_EQ(HiddenSpans(doc), spans);
    EXPECT_TRUE(FormatAt(doc, 8).hidden);
    EXPECT_EQ(RunAt(doc, 12), nullptr);
    EXPECT_EQ(RunAt(doc, -1), nullptr);
}

// The picture module reads the data later; the model keeps it with its words.
TEST(RtfModel, pictures_keepBitmapAndMetafileDataWithTheirWords)
{
    const RichDocument doc =
        Read(Rtf("{\\pict\\wmetafile1\\picw100\\pich50\\piccropl15\\piccropb-30 "
                 "010009000003120000000000000000000000}"
                 "{\\pict\\wbitmap0\\picw16\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 f00faa55}"
                 "{\\pict\\dibitmap0 0a0b}"
                 "{\\pict\\emfblip 01000000}"));
    ASSERT_EQ(doc.pictures.size(), 4u);
    const RichPicture& wmf = doc.pictures[0];
    EXPECT_EQ(wmf.kind, PictureKind::Wmf);
    EXPECT_EQ(wmf.mappingMode, 1);
    EXPECT_EQ(wmf.bytes.size(), 18u);
    EXPECT_EQ(wmf.cropLeft, 15);
    EXPECT_EQ(wmf.cropBottom, -30);
    const RichPicture& bitmap = doc.pictures[1];
    EXPECT_EQ(bitmap.kind, PictureKind::DeviceBitmap);
    EXPECT_EQ(bitmap.widthBytes, 2);
    EXPECT_EQ(bitmap.bitsPerPixel, 1);
    EXPECT_EQ(bitmap.bytes.size(), 4u);
    // Too short to hold their header: placeholders.
    EXPECT_EQ(doc.pictures[2].kind, PictureKind::Other);
    EXPECT_EQ(doc.pictures[3].kind, PictureKind::Other);
}

} // namespace
} // namespace mirelda
