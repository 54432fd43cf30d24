#include "core/richtext/table_plan.h"

#include "rtf_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelda::testing {
namespace {

struct CellAt
{
    int column;
    int span;
    int definition;
    int rowSpan;
};

void ExpectCells(const PlannedRow& row, const std::vector<CellAt>& want)
{
    ASSERT_EQ(row.cells.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(row.cells[i].column, want[i].column);
        EXPECT_EQ(row.cells[i].span, want[i].span);
        EXPECT_EQ(row.cells[i].definition, want[i].definition);
        EXPECT_EQ(row.cells[i].rowSpan, want[i].rowSpan);
    }
}

TEST(TablePlan, rowsThatFollowAtTheSameOriginShareColumnsAtEveryEdge)
{
    // Rows 1 and 2 share a table of three columns; the horizontally merged cells of row 2 are
    // one cell holding both their text cells; row 3 starts elsewhere, and
    // row 4 follows a paragraph: each begins a table of its own. Row 4, pulled left of the
    // margin, keeps its edge there.
    const RichDocument doc =
        Read(Rtf("\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
                 "\\trowd\\clmgf\\cellx500\\clmrg\\cellx1500\\cellx2000\\intbl c\\cell \\cell d\\cell\\row"
                 "\\trowd\\trleft500\\cellx1500\\intbl f\\cell\\row"
                 "\\pard g\\par\\trowd\\trleft-108\\cellx1500\\intbl h\\cell\\row\\pard"));
    ASSERT_EQ(doc.tableRows.size(), 4u);
    const std::vector<PlannedTable> tables = PlanTables(doc);
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0].edges, (std::vector<std::int32_t>{0, 1000, 1500, 2000}));
    ASSERT_EQ(tables[0].rows.size(), 2u);
    ExpectCells(tables[0].rows[0], {{0, 1, 0, 1}, {1, 2, 1, 1}});
    ExpectCells(tables[0].rows[1], {{0, 2, 0, 1}, {2, 1, 2, 1}});
    EXPECT_EQ(tables[0].rows[1].cellOfTextCell, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(tables[1].edges, (std::vector<std::int32_t>{500, 1500}));
    EXPECT_EQ(tables[1].rows.front().row, 2u);
    EXPECT_EQ(tables[2].rows.front().row, 3u);
    EXPECT_EQ(tables[2].edges, (std::vector<std::int32_t>{-108, 1500}));
}

TEST(TablePlan, verticalMergesJoinTheCellAboveOverTheSameColumns)
{
    // Column 0 merges down over two rows; the \clvmrg of row 3 in column 1 has no merge above
    // it and stays a cell of its own.
    const RichDocument doc =
        Read(Rtf("\\trowd\\clvmgf\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
                 "\\trowd\\clvmrg\\cellx1000\\cellx2000\\intbl \\cell c\\cell\\row"
                 "\\trowd\\cellx1000\\clvmrg\\cellx2000\\intbl d\\cell e\\cell\\row\\pard"));
    const std::vector<PlannedTable> tables = PlanTables(doc);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].rows.size(), 3u);
    ExpectCells(tables[0].rows[0], {{0, 1, 0, 2}, {1, 1, 1, 1}});
    ExpectCells(tables[0].rows[1], {{0, 1, 0, 0}, {1, 1, 1, 1}});
    ExpectCells(tables[0].rows[2], {{0, 1, 0, 1}, {1, 1, 1, 1}});
}

TEST(TablePlan, bordersAreTheCellsOwnElseTheRowsOuterOrInnerOnes)
{
    const std::string row =
        "\\trowd\\trbrdrt\\brdrs\\trbrdrb\\brdrs\\trbrdrl\\brdrs\\trbrdrr\\brdrs"
        "\\trbrdrh\\brdrdb\\trbrdrv\\brdrdb"
        "\\clbrdrt\\brdrdot\\clmgf\\cellx1000\\clmrg\\clbrdrr\\brdrdash\\cellx2000\\cellx3000";
    const RichDocument doc = Read(
        Rtf(row + "\\intbl a\\cell \\cell b\\cell\\row" + row + "\\intbl c\\cell \\cell d\\cell\\row\\pard"));
    const std::vector<PlannedTable> tables = PlanTables(doc);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].rows.size(), 2u);
    // The merged first cell: its own top, its last part's right.
    const PlannedBorders merged = BordersOf(doc, tables[0], 0, 0);
    EXPECT_EQ(merged.top.style, BorderStyle::Dotted);
    EXPECT_EQ(merged.left.style, BorderStyle::Single);
    EXPECT_EQ(merged.bottom.style, BorderStyle::Double);
    EXPECT_EQ(merged.right.style, BorderStyle::Dashed);
    // The second row's last cell: inner top and left, outer bottom and right.
    const PlannedBorders last = BordersOf(doc, tables[0], 1, 1);
    EXPECT_EQ(last.top.style, BorderStyle::Double);
    EXPECT_EQ(last.left.style, BorderStyle::Double);
    EXPECT_EQ(last.bottom.style, BorderStyle::Single);
    EXPECT_EQ(last.right.style, BorderStyle::Single);
}

// Widths in twips: 15 is one pixel.
TEST(TablePlan, bordersAreAtLeastOnePixelWideWiderByStyleAndAtMostTwenty)
{
    const auto pixels = [](BorderStyle style, std::int32_t width) {
        return BorderPixels({style, width, -1});
    };
    EXPECT_EQ(pixels(BorderStyle::None, 60), 0);
    EXPECT_EQ(pixels(BorderStyle::Single, 0), 1); // the thinnest line still shows
    EXPECT_EQ(pixels(BorderStyle::Dotted, 45), 3);
    EXPECT_EQ(pixels(BorderStyle::Thick, 0), 2);
    EXPECT_EQ(pixels(BorderStyle::Thick, 30), 4);
    EXPECT_EQ(pixels(BorderStyle::Double, 0), 3); // room for two lines and the gap
    EXPECT_EQ(pixels(BorderStyle::Double, 30), 6);
    EXPECT_EQ(pixels(BorderStyle::Thick, 250), 20); // 2 x 16.7, bounded
    EXPECT_EQ(pixels(BorderStyle::Single, 1 << 30), 20);
}

TEST(TablePlan, fillsLayThePatternOverTheBackgroundAtTheShadingsStrength)
{
    const RichDocument doc = Read(Rtf("{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                      "\\trowd\\clcbpat1\\clcfpat2\\clshdng2500\\cellx1000"
                                      "\\clshdng5000\\cellx2000\\cellx3000"
                                      "\\intbl a\\cell b\\cell c\\cell\\row\\pard"));
    ASSERT_EQ(doc.tableRows.size(), 1u);
    const std::vector<TableCell>& cells = doc.tableRows[0].cells;
    ASSERT_EQ(cells.size(), 3u);
    const std::optional<CellFill> mixed = FillOf(doc, cells[0]);
    ASSERT_TRUE(mixed);
    EXPECT_DOUBLE_EQ(mixed->red, 0.75);
    EXPECT_DOUBLE_EQ(mixed->green, 0);
    EXPECT_DOUBLE_EQ(mixed->blue, 0.25);
    const std::optional<CellFill> grey = FillOf(doc, cells[1]); // automatic: black over white
    ASSERT_TRUE(grey);
    EXPECT_DOUBLE_EQ(grey->red, 0.5);
    EXPECT_DOUBLE_EQ(grey->blue, 0.5);
    EXPECT_FALSE(FillOf(doc, cells[2]));
}

TEST(TablePlan, tablesPastTheirBoundsAreSplitOrLeftToTheText)
{
    std::string body;
    const auto addRow = [&](int cells) {
        body += "\\trowd\\cellx1000\\intbl ";
        for (int c = 0; c < cells; ++c)
            body += "c" + std::to_string(c) + "\\cell ";
        body += "\\row ";
    };
    addRow(3);
    EXPECT_FALSE(BoundedTables(Read(Rtf(body + "\\pard"))));

    // A row of 70 text cells goes on over a second row of the 6 left; the numbering stays, and
    // the colours come along for the cells' fills and borders.
    addRow(kMaxTableColumns + 6);
    const RichDocument wide = Read(Rtf("{\\colortbl;\\red255\\green0\\blue0;}" + body + "\\pard"));
    const std::optional<RichDocument> split = BoundedTables(wide);
    ASSERT_TRUE(split);
    ASSERT_EQ(split->colors.size(), 2u);
    EXPECT_EQ(split->colors[1].red, 255);
    ASSERT_EQ(split->tableRows.size(), 3u);
    const RichTableRow& whole = wide.tableRows[1];
    EXPECT_EQ(split->tableRows[1].start, whole.start);
    EXPECT_EQ(split->tableRows[1].mark, whole.separators[kMaxTableColumns - 1]);
    EXPECT_EQ(split->tableRows[1].separators.size(), static_cast<std::size_t>(kMaxTableColumns - 1));
    EXPECT_EQ(split->tableRows[2].start, whole.separators[kMaxTableColumns - 1] + 1);
    EXPECT_EQ(split->tableRows[2].mark, whole.mark);
    EXPECT_EQ(split->tableRows[2].separators.size(), 5u);

    // Past the document's bound, the rows after are no table rows.
    body.clear();
    const std::size_t rows = kMaxDocumentTableCells / 50 + 1;
    for (std::size_t r = 0; r < rows; ++r)
        addRow(50);
    const std::optional<RichDocument> bounded = BoundedTables(Read(Rtf(body + "\\pard")));
    ASSERT_TRUE(bounded);
    EXPECT_EQ(bounded->tableRows.size(), rows - 1);
}

} // namespace
} // namespace mirelda::testing
