#pragma once
// The Qt formats of a planned table (see core/richtext/table_plan.h) and of its cells.

#include "core/richtext/document.h"
#include "core/richtext/table_plan.h"

#include <QColor>
#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <cstddef>

namespace mirelda::ui {

// Formats for the table and for one of its cells, lengths in pixels at 96 per inch.
// Entry `index` of the document's colour table; invalid when out of range or automatic.
QColor ColorOf(const RichDocument& model, std::int32_t index);

// `leftRoom`: how far left of the text's edge a table may reach (the document's margin at the
// top level, none inside a cell); a table pulled further left starts there, its first column
// narrower.
QTextTableFormat TableFormatOf(const RichDocument& model, const PlannedTable& table, double leftRoom);
QTextTableCellFormat CellFormatOf(const RichDocument& model, const PlannedTable& table, std::size_t rowIndex,
                                  std::size_t cellIndex);

// The left margin of a table that wants to start `wanted` pixels from the text's edge, and may
// reach `room` pixels left of it: past that it starts there, and its first column (`widths`
// front, when fixed) keeps its right edge. Built and zoomed tables keep to the same rule.
double LeftMarginWithinRoom(double wanted, double room, QList<QTextLength>& widths);

} // namespace mirelda::ui
