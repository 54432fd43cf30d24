#include "core/richtext/table_plan.h"

#include "core/richtext/units.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace mirelda {

namespace {

constexpr auto kMaxTwips = static_cast<std::int32_t>(kMaxInches * kTwipsPerInch); // no table is wider
constexpr std::int32_t kMinCellTwips = 30; // a damaged row's cells stay visible
constexpr std::int32_t kDefaultCellTwips = 1440;

// The colour at `index`, channels from 0 to 1; nothing for an automatic or missing colour.
std::optional<CellFill> ColorOf(const RichDocument& model, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.colors.size())
        return std::nullopt;
    const RichColor& c = model.colors[static_cast<std::size_t>(index)];
    if (c.automatic)
        return std::nullopt;
    return CellFill{c.red / 255.0, c.green / 255.0, c.blue / 255.0};
}

// The cells of one row before the rows are put together: their edges, and for each the
// definition it takes its format from.
struct RowCells
{
    std::vector<std::int32_t> edges; // left edge, then each cell's right edge
    std::vector<int> definition;     // first definition of each cell, -1 when undefined
    std::vector<int> cellOfTextCell;
};

RowCells CellsOf(const RichTableRow& row)
{
    const int textCells = static_cast<int>(row.separators.size()) + 1;
    const int defined = static_cast<int>(row.cells.size());
    const int count = std::min(std::max(textCells, defined), kMaxTableColumns);
    std::vector<std::int32_t> right(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Past the widest table, cells keep their least width, so that none is lost.
        const std::int32_t before =
            i == 0 ? std::clamp(row.origin, -kMaxTwips, kMaxTwips) : right[static_cast<std::size_t>(i) - 1];
        const std::int32_t want =
            i < defined ? row.cells[static_cast<std::size_t>(i)].edge : before + kDefaultCellTwips;
        right[static_cast<std::size_t>(i)] =
            std::max(std::clamp(want, -kMaxTwips, kMaxTwips), before + kMinCellTwips);
    }
    // A row pulled left of the margin (the usual \trleft of minus the gap, so that the cells'
    // text lines up with the paragraphs) keeps its edge: how far left it may be drawn is the
    // display's to say.
    const std::int32_t left = std::clamp(row.origin, -kMaxTwips, kMaxTwips);

    RowCells out;
    out.edges.push_back(left);
    std::vector<int> docCellOfCell(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool merged = i > 0 && i < defined && row.cells[static_cast<std::size_t>(i)].merged;
        if (merged) {
            out.edges.back() = right[static_cast<std::size_t>(i)];
        } else {
            out.edges.push_back(right[static_cast<std::size_t>(i)]);
            out.definition.push_back(i < defined ? i : -1);
        }
        docCellOfCell[static_cast<std::size_t>(i)] = static_cast<int>(out.definition.size()) - 1;
    }
    // Text cells beyond the last cell go into it.
    for (int t = 0; t < textCells; ++t)
        out.cellOfTextCell.push_back(docCellOfCell[static_cast<std::size_t>(std::min(t, count - 1))]);
    return out;
}

const CellBorder& Either(const CellBorder& own, const CellBorder& row)
{
    return own.style != BorderStyle::None ? own : row;
}

// A \clvmrg cell joins the cell above it when that one starts or continues a vertical merge
// over the same columns; one that has nothing to join stays a cell of its own.
void MergeVertically(const RichDocument& model, PlannedTable& table)
{
    std::map<int, std::pair<std::size_t, std::size_t>> open; // column: the merge's top cell
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        PlannedRow& planned = table.rows[r];
        const RichTableRow& row = model.tableRows[planned.row];
        std::map<int, std::pair<std::size_t, std::size_t>> next;
        for (std::size_t c = 0; c < planned.cells.size(); ++c) {
            PlannedCell& cell = planned.cells[c];
            if (cell.definition < 0)
                continue;
            const TableCell& defined = row.cells[static_cast<std::size_t>(cell.definition)];
            if (defined.verticalMerged) {
                const auto above = open.find(cell.column);
                if (above != open.end()) {
                    PlannedCell& top = table.rows[above->second.first].cells[above->second.second];
                    if (top.span == cell.span) {
                        ++top.rowSpan;
                        cell.rowSpan = 0;
                        next.insert(*above);
                        continue;
                    }
                }
            }
            if (defined.verticalMergeFirst || defined.verticalMerged)
                next[cell.column] = {r, c};
        }
        open = std::move(next);
    }
}

} // namespace

std::vector<PlannedTable> PlanTables(const RichDocument& model)
{
    std::vector<PlannedTable> tables;
    std::vector<RowCells> rowCells; // of the table being planned
    const auto& rows = model.tableRows;
    const auto close = [&] {
        PlannedTable& table = tables.back();
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RowCells& cells = rowCells[r];
            PlannedRow& planned = table.rows[r];
            for (std::size_t c = 0; c < cells.definition.size(); ++c) {
                const auto column = std::lower_bound(table.edges.begin(), table.edges.end(), cells.edges[c]);
                const auto end = std::lower_bound(table.edges.begin(), table.edges.end(), cells.edges[c + 1]);
                planned.cells.push_back({static_cast<int>(column - table.edges.begin()),
                                         static_cast<int>(end - column), cells.definition[c]});
            }
            planned.cellOfTextCell = cells.cellOfTextCell;
        }
        MergeVertically(model, table);
        rowCells.clear();
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        RowCells cells = CellsOf(rows[i]);
        bool joins = i > 0 && !tables.empty() && rows[i - 1].mark + 1 == rows[i].start &&
                     rows[i - 1].alignment == rows[i].alignment && !rowCells.empty() &&
                     rowCells.front().edges.front() == cells.edges.front();
        std::vector<std::int32_t> edges;
        if (joins) {
            std::set_union(tables.back().edges.begin(), tables.back().edges.end(), cells.edges.begin(),
                           cells.edges.end(), std::back_inserter(edges));
            joins = static_cast<int>(edges.size()) - 1 <= kMaxTableColumns;
        }
        if (!joins) {
            if (!tables.empty())
                close();
            tables.emplace_back();
            edges = cells.edges;
        }
        tables.back().edges = std::move(edges);
        tables.back().rows.push_back({i, {}, {}});
        rowCells.push_back(std::move(cells));
    }
    if (!tables.empty())
        close();
    return tables;
}

std::optional<RichDocument> BoundedTables(const RichDocument& model)
{
    const auto tooLong = [](const RichTableRow& row) { return row.separators.size() >= kMaxTableColumns; };
    std::size_t cells = 0;
    for (const RichTableRow& row : model.tableRows)
        cells += row.separators.size() + 1;
    if (cells <= kMaxDocumentTableCells &&
        std::none_of(model.tableRows.begin(), model.tableRows.end(), tooLong))
        return std::nullopt;
    RichDocument out; // not the text, runs, pictures...: their copy would be of no use
    out.colors = model.colors;
    cells = 0;
    const auto keep = [&](RichTableRow row) {
        cells += row.separators.size() + 1;
        if (cells <= kMaxDocumentTableCells)
            out.tableRows.push_back(std::move(row));
    };
    for (const RichTableRow& row : model.tableRows) {
        if (!tooLong(row)) {
            keep(row);
            continue;
        }
        // Each part: kMaxTableColumns text cells, the last part what remains.
        const std::size_t textCells = row.separators.size() + 1;
        for (std::size_t first = 0; first < textCells; first += kMaxTableColumns) {
            const std::size_t end = std::min(first + kMaxTableColumns, textCells); // text cells [first, end)
            RichTableRow part = row;
            part.start = first == 0 ? row.start : row.separators[first - 1] + 1;
            part.mark = end == textCells ? row.mark : row.separators[end - 1];
            part.separators.assign(row.separators.begin() + static_cast<std::ptrdiff_t>(first),
                                   row.separators.begin() + static_cast<std::ptrdiff_t>(end - 1));
            const auto alignments = [&](std::size_t i) {
                return row.cellAlignments.begin() +
                       static_cast<std::ptrdiff_t>(std::min(i, row.cellAlignments.size()));
            };
            part.cellAlignments.assign(alignments(first), alignments(end));
            part.paragraphBreaks.clear();
            for (const CellParagraphBreak& b : row.paragraphBreaks)
                if (b.position >= part.start && b.position < part.mark)
                    part.paragraphBreaks.push_back(b);
            keep(std::move(part));
        }
    }
    return out;
}

PlannedBorders BordersOf(const RichDocument& model, const PlannedTable& table, std::size_t rowIndex,
                         std::size_t cellIndex)
{
    const PlannedRow& planned = table.rows[rowIndex];
    const RichTableRow& row = model.tableRows[planned.row];
    const PlannedCell& placed = planned.cells[cellIndex];
    const TableCell& cell = row.cells[static_cast<std::size_t>(placed.definition)];
    std::size_t last = static_cast<std::size_t>(placed.definition);
    while (last + 1 < row.cells.size() && row.cells[last + 1].merged)
        ++last;
    const bool firstRow = rowIndex == 0;
    const bool lastRow = rowIndex + 1 == table.rows.size();
    const bool firstCell = cellIndex == 0;
    const bool lastCell = cellIndex + 1 == planned.cells.size();
    return {Either(cell.top, firstRow ? row.top : row.horizontal),
            Either(cell.left, firstCell ? row.left : row.vertical),
            Either(cell.bottom, lastRow ? row.bottom : row.horizontal),
            Either(row.cells[last].right, lastCell ? row.right : row.vertical)};
}

double BorderPixels(const CellBorder& border)
{
    if (border.style == BorderStyle::None)
        return 0;
    double width = std::max(1.0, TwipsToPixels(border.width));
    if (border.style == BorderStyle::Thick)
        width *= 2;
    else if (border.style == BorderStyle::Double)
        width = std::max(3.0, width * 3);
    return std::min(width, 20.0);
}

std::optional<CellFill> FillOf(const RichDocument& model, const TableCell& cell)
{
    if (cell.background < 0 && cell.shading <= 0)
        return std::nullopt;
    const CellFill background = ColorOf(model, cell.background).value_or(CellFill{1, 1, 1});
    const CellFill pattern = ColorOf(model, cell.pattern).value_or(CellFill{0, 0, 0});
    const double s = std::clamp(cell.shading, 0, 10000) / 10000.0;
    return CellFill{background.red * (1 - s) + pattern.red * s,
                    background.green * (1 - s) + pattern.green * s,
                    background.blue * (1 - s) + pattern.blue * s};
}

} // namespace mirelda
