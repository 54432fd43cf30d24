#pragma once
// How the model's table rows become the displayed tables: consecutive rows that start at the same place
// share one table whose columns are every cell edge of those rows, so that rows with other
// cells still line up; a cell spans the columns between its edges, and horizontally merged
// cells are one cell. The model's numbering is untouched: its cells only say where text goes.

#include "core/richtext/document.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mirelda {

// One cell of the document's table.
struct PlannedCell
{
    int column = 0;
    int span = 1;
    int definition = -1; // index into the row's cells; -1: a cell the row does not define
    // Rows it covers: more than 1 for the top of vertically merged cells (\clvmgf), 0 for a
    // cell merged into the one above it (\clvmrg), whose text goes there.
    int rowSpan = 1;
};

struct PlannedRow
{
    std::size_t row = 0;             // index into RichDocument::tableRows
    std::vector<PlannedCell> cells;  // in column order
    std::vector<int> cellOfTextCell; // for each text cell of the model's row, its cell here
};

struct PlannedTable
{
    std::vector<std::int32_t> edges; // column boundaries in twips, increasing; columns + 1
    std::vector<PlannedRow> rows;
};

// The most columns a table gets, and so the most text cells a row shows side by side.
inline constexpr int kMaxTableColumns = 64;

// Every table of the document, in order.
std::vector<PlannedTable> PlanTables(const RichDocument& model);

// Qt lays a table out at some tens of microseconds a cell: the cells the tables of one
// document may hold in all. No help article comes near; past it, rows are left to the text.
inline constexpr std::size_t kMaxDocumentTableCells = 10000;
// A cell of a table inside a cell costs Qt about three times as much to lay out: it counts as
// this many against the bound.
inline constexpr std::size_t kNestedCellCost = 3;
// And each level deeper about twice as much again (a table at depth 6 about 15 times one at
// depth 2): a cell at `depth` (2 or more) counts this many.
constexpr std::size_t NestedCellCost(std::int32_t depth)
{
    return kNestedCellCost << (depth <= 2 ? 0 : depth >= 12 ? 10 : depth - 2);
}

// The tables of `model` within bounds, as a document of its colours and table rows alone (what
// tables are planned and formatted from); nothing when they already are within bounds:
//  - a row of more text cells than kMaxTableColumns goes on over rows of its own,
//    kMaxTableColumns cells each, in the same columns, so that every cell keeps its own cell;
//  - once the tables hold kMaxDocumentTableCells cells, the rows after are no table rows: their
//    cells show separated by tabs, each row a paragraph.
// The numbering is untouched: a row that goes on ends at the separator after its last cell
// (the document, as for any separator, shows nothing there), and a row left to the text shows
// its separators and its mark as the tab and paragraph mark they are in the model.
std::optional<RichDocument> BoundedTables(const RichDocument& model);

// The borders one planned cell shows, each side its own border or else the row's for that
// side (outer or inner); a merged cell's right side is its last part's. The cell must be one
// the row defines (definition >= 0).
struct PlannedBorders
{
    CellBorder top;
    CellBorder left;
    CellBorder bottom;
    CellBorder right;
};
PlannedBorders BordersOf(const RichDocument& model, const PlannedTable& table, std::size_t rowIndex,
                         std::size_t cellIndex);

// How wide a border is drawn, in pixels: none for no border; else its width, at least 1 pixel,
// doubled for a thick one, three times (at least 3) for a double one so that both lines and the
// gap show; never more than 20, whatever the file says.
double BorderPixels(const CellBorder& border);

// A cell's fill, each channel from 0 to 1: the pattern colour (automatic: black) laid over the
// background (automatic: white) at the shading's strength; nothing for a cell with neither.
struct CellFill
{
    double red = 0, green = 0, blue = 0;
};
std::optional<CellFill> FillOf(const RichDocument& model, const TableCell& cell);

} // namespace mirelda
