#pragma once
// How the model's table rows become QTextTables: consecutive rows that start at the same place
// share one table whose columns are every cell edge of those rows, so that rows with other
// cells still line up; a cell spans the columns between its edges, and horizontally merged
// cells are one cell. The model's numbering is untouched: its cells only say where text goes.

#include "core/richtext/document.h"

#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <cstddef>
#include <cstdint>
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

// Every table of the document, in order.
std::vector<PlannedTable> PlanTables(const RichDocument& model);

// Formats for the table and for one of its cells, lengths in pixels at 96 per inch.
QTextTableFormat TableFormatOf(const RichDocument& model, const PlannedTable& table);
QTextTableCellFormat CellFormatOf(const RichDocument& model, const PlannedTable& table, std::size_t rowIndex,
                                  std::size_t cellIndex);

} // namespace mirelda
