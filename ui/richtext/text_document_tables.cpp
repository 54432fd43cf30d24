// Tables: where the model's table structure steers the cursor, tables inside cells included.
#include "ui/richtext/document_builder.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace mirelda::ui::build {

void DocumentBuilder::PlanEvents()
{
    tables_ = PlanTables(tableModel_);
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        const PlannedTable& table = tables_[t];
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RichTableRow& row = tableModel_.tableRows[table.rows[r].row];
            if (r == 0)
                events_.push_back({row.start, EventKind::TableStart, t, 0, 0, nullptr, 0});
            for (std::size_t k = 0; k < row.separators.size(); ++k)
                events_.push_back(
                    {row.separators[k], EventKind::CellEnd, t, r, static_cast<int>(k), nullptr, 100});
            for (const CellParagraphBreak& b : row.paragraphBreaks)
                events_.push_back({b.position, EventKind::ParagraphBreak, t, r, 0, &b, 100});
            events_.push_back({row.mark, EventKind::RowEnd, t, r, 0, nullptr, 100});
        }
    }
    PlanNestedTables();
    // A row's paragraph breaks lie among its cell ends; a break at the row's start stays
    // after the table's start. At one position, nested rows end (innermost first), then a
    // table starts, then nested tables start (outermost first), then the rest.
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
        return a.position != b.position ? a.position < b.position : a.order < b.order;
    });
}

void DocumentBuilder::PlanNestedTables()
{
    const auto& rows = model_.nestedRows;
    std::vector<std::vector<std::size_t>> groups; // rows that follow each other at one depth
    std::vector<std::int32_t> groupDepth;
    std::vector<std::ptrdiff_t> current(static_cast<std::size_t>(kMaxNestedDepth + 1), -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RichNestedRow& row = rows[i];
        if (row.depth < 2 || row.depth > kMaxNestedDepth || row.end <= row.start)
            continue;
        const auto depth = static_cast<std::size_t>(row.depth);
        for (std::size_t d = depth + 1; d < current.size(); ++d)
            current[d] = -1;
        const std::ptrdiff_t open = current[depth];
        if (open >= 0 && rows[groups[static_cast<std::size_t>(open)].back()].end == row.start) {
            groups[static_cast<std::size_t>(open)].push_back(i);
            continue;
        }
        current[depth] = static_cast<std::ptrdiff_t>(groups.size());
        groups.push_back({i});
        groupDepth.push_back(row.depth);
    }
    // Tables inside cells share the document's bound on table cells with the top-level ones,
    // each of their cells counting NestedCellCost of its depth: past it, their rows are left to the text,
    // where their cells' tabs already show.
    std::size_t cells = 0;
    for (const RichTableRow& row : tableModel_.tableRows)
        cells += row.separators.size() + 1;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        RichDocument definitions;
        definitions.colors = model_.colors;
        for (std::size_t k = 0; k < groups[g].size(); ++k) {
            const RichNestedRow& row = rows[groups[g][k]];
            const bool lastHasTab = !row.separators.empty() && row.separators.back() + 1 == row.end;
            const std::size_t textCells =
                std::max<std::size_t>(row.separators.size() + (lastHasTab ? 0 : 1), 1);
            cells += textCells * NestedCellCost(row.depth);
            if (cells > kMaxDocumentTableCells) {
                groups[g].resize(k); // and every row after: the bound stays passed
                break;
            }
            RichTableRow table = row.definition;
            // Planned as consecutive rows with as many text cells as the row has.
            table.start = static_cast<std::int32_t>(2 * k);
            table.mark = table.start + 1;
            table.separators.assign(textCells - 1, 0);
            definitions.tableRows.push_back(std::move(table));
        }
        if (definitions.tableRows.empty())
            continue;
        std::vector<PlannedTable> plans = PlanTables(definitions);
        for (std::size_t p = 0; p < plans.size(); ++p) {
            NestedTable nested;
            nested.depth = groupDepth[g];
            for (const PlannedRow& planned : plans[p].rows)
                nested.rows.push_back(groups[g][planned.row]);
            // Each keeps the group's rows, which its plan numbers; the last takes them over.
            nested.definitions.colors = model_.colors;
            if (p + 1 < plans.size())
                nested.definitions.tableRows = definitions.tableRows;
            else
                nested.definitions.tableRows = std::move(definitions.tableRows);
            nested.plan = std::move(plans[p]);
            nestedTables_.push_back(std::move(nested));
        }
    }
    for (std::size_t t = 0; t < nestedTables_.size(); ++t) {
        const NestedTable& table = nestedTables_[t];
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RichNestedRow& row = rows[table.rows[r]];
            if (r == 0)
                events_.push_back({row.start, EventKind::NestedStart, t, 0, 0, nullptr, 10 + table.depth});
            const int textCells = static_cast<int>(table.plan.rows[r].cellOfTextCell.size());
            for (std::size_t k = 0; k < row.separators.size(); ++k) {
                if (static_cast<int>(k) + 1 < textCells)
                    events_.push_back({row.separators[k] + 1, EventKind::NestedCellEnd, t, r,
                                       static_cast<int>(k), nullptr, -10 + 0});
            }
            events_.push_back({row.end, EventKind::NestedRowEnd, t, r, 0, nullptr, -20 - table.depth});
        }
    }
}

// Inserts a planned table at the cursor: its columns, its merged cells (across and down), and
// each cell's borders, fill and margins. A covered cell keeps no format of its own: the
// merged cell holds it.
DocumentBuilder::OpenTable DocumentBuilder::InsertTable(const RichDocument& definitions,
                                                        const PlannedTable& plan, bool nested)
{
    if (cursor_.positionInBlock() != 0)
        cursor_.insertBlock(); // a document-only break: a table starts a block
    // A table pulled left may reach into the document's margin; one inside a cell stays in it,
    // its cells' edges counting from the cell that holds it.
    QTextTableFormat format =
        TableFormatOf(definitions, plan, nested ? 0.0 : doc_.rootFrame()->frameFormat().leftMargin());
    if (nested)
        format.setLeftMargin(0);
    OpenTable table;
    table.plan = &plan;
    table.frame = cursor_.insertTable(static_cast<int>(plan.rows.size()),
                                      static_cast<int>(plan.edges.size()) - 1, format);
    for (std::size_t r = 0; r < plan.rows.size(); ++r) {
        const auto& cells = plan.rows[r].cells;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].rowSpan == 0)
                continue; // covered by the cell above, which holds its format
            if (cells[c].span > 1 || cells[c].rowSpan > 1)
                table.frame->mergeCells(static_cast<int>(r), cells[c].column, cells[c].rowSpan,
                                        cells[c].span);
            table.frame->cellAt(static_cast<int>(r), cells[c].column)
                .setFormat(CellFormatOf(definitions, plan, r, c));
        }
    }
    return table;
}

// Puts the cursor where the text of a row's text cell goes; true when that starts a cell,
// whose first block then takes the text cell's format.
bool DocumentBuilder::EnterTableCell(OpenTable& table, std::size_t row, int textCell)
{
    const PlannedRow& planned = table.plan->rows[row];
    if (planned.cellOfTextCell.empty() || planned.cells.empty())
        return false;
    const int index = planned.cellOfTextCell[static_cast<std::size_t>(
        std::clamp(textCell, 0, static_cast<int>(planned.cellOfTextCell.size()) - 1))];
    const PlannedCell& cell = planned.cells[static_cast<std::size_t>(index)];
    if (table.row == static_cast<int>(row) && table.column == cell.column)
        return false; // merged cells: the next one's text follows in the same cell
    table.row = static_cast<int>(row);
    table.column = cell.column;
    if (cell.rowSpan == 0) {
        // Merged into the cell above, whose text lies before cells already filled: what it
        // holds (usually nothing, or a nested cell's tab) follows the text before it, where the
        // cursor is, so that the document keeps the model's order.
        return false;
    }
    cursor_.setPosition(table.frame->cellAt(table.row, cell.column).firstCursorPosition().position());
    return true;
}

void DocumentBuilder::LeaveTable(OpenTable& table)
{
    cursor_.setPosition(table.frame->lastPosition() + 1);
    table = OpenTable();
}

void DocumentBuilder::EnterCell(std::size_t row, int textCell)
{
    if (!EnterTableCell(table_, row, textCell))
        return;
    const RichTableRow& model = tableModel_.tableRows[table_.plan->rows[row].row];
    entries_.push_back({cursor_.block(), ParagraphOfMark(model.mark), lastFormat_, &model, textCell});
}

// A \par inside a cell: its one position becomes a block separator in the cell, so that each
// of the cell's paragraphs gets its own format.
void DocumentBuilder::BreakCellParagraph(std::int32_t position, const CellParagraphBreak& ending,
                                         const QTextCharFormat& format)
{
    Entry next;
    if (!entries_.empty() && entries_.back().row && entries_.back().block == cursor_.block()) {
        entries_.back().ending = &ending;
        next = entries_.back();
        next.ending = nullptr;
    }
    map_.addShown(position, cursor_.position(), 1);
    cursor_.insertBlock();
    if (next.row) {
        next.block = cursor_.block();
        next.markFormat = format;
        entries_.push_back(next);
    }
}

void DocumentBuilder::EnterNestedCell(OpenNested& nested, std::size_t row, int textCell)
{
    if (!EnterTableCell(nested.open, row, textCell))
        return;
    const RichNestedRow& model = model_.nestedRows[nestedTables_[nested.table].rows[row]];
    entries_.push_back({cursor_.block(), nested.outer.paragraph, lastFormat_, &model.definition, textCell});
}

void DocumentBuilder::HandleNestedEvent(const Event& event)
{
    const NestedTable& table = nestedTables_[event.table];
    if (event.kind == EventKind::NestedStart) {
        // Only inside a cell, and inside its parent table.
        if (!table_.frame || static_cast<std::int32_t>(nestedOpen_.size()) + 2 != table.depth)
            return;
        OpenNested nested;
        nested.table = event.table;
        if (!entries_.empty() && entries_.back().row)
            nested.outer = entries_.back();
        nested.open = InsertTable(table.definitions, table.plan, true);
        nestedOpen_.push_back(nested);
        EnterNestedCell(nestedOpen_.back(), 0, 0);
        return;
    }
    if (nestedOpen_.empty() || nestedOpen_.back().table != event.table)
        return; // a table that could not be drawn, or one already closed
    OpenNested& nested = nestedOpen_.back();
    if (event.kind == EventKind::NestedCellEnd) {
        EnterNestedCell(nested, event.row, event.textCell + 1);
        return;
    }
    if (event.row + 1 < table.rows.size()) {
        EnterNestedCell(nested, event.row + 1, 0);
        return;
    }
    LeaveTable(nested.open);
    Entry after = nested.outer;
    nestedOpen_.pop_back();
    if (after.row) {
        after.block = cursor_.block();
        after.ending = nullptr;
        entries_.push_back(after);
    }
}

void DocumentBuilder::HandleEvent(const Event& event)
{
    if (event.kind == EventKind::NestedStart || event.kind == EventKind::NestedCellEnd ||
        event.kind == EventKind::NestedRowEnd) {
        HandleNestedEvent(event);
        return;
    }
    if (event.kind != EventKind::ParagraphBreak)
        nestedOpen_.clear(); // an outer cell ends whatever it held
    const PlannedTable& table = tables_[event.table];
    if (event.kind != EventKind::TableStart && table_.plan != &table)
        return; // a table always opens first; never steer into nothing, nor into another
    switch (event.kind) {
    case EventKind::TableStart:
        table_ = InsertTable(tableModel_, table, false);
        EnterCell(0, 0);
        break;
    case EventKind::CellEnd:
        EnterCell(event.row, event.textCell + 1);
        break;
    case EventKind::RowEnd:
        if (event.row + 1 < table.rows.size()) {
            EnterCell(event.row + 1, 0);
        } else {
            LeaveTable(table_);
            StartBlock(tableModel_.tableRows[table.rows[event.row].row].mark + 1);
        }
        break;
    case EventKind::ParagraphBreak:
        break; // Run() breaks the block, knowing whether it is shown
    case EventKind::NestedStart:
    case EventKind::NestedCellEnd:
    case EventKind::NestedRowEnd:
        break; // HandleNestedEvent's
    }
}

} // namespace mirelda::ui::build
