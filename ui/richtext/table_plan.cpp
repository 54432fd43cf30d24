#include "ui/richtext/table_plan.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <iterator>
#include <map>

namespace mirelda::ui {

namespace {

constexpr int kMaxColumns = kMaxTableColumns;
constexpr std::int32_t kMaxTwips = 52 * 1440; // no table reaches beyond 52 inches
constexpr std::int32_t kMinCellTwips = 30;    // a damaged row's cells stay visible
constexpr std::int32_t kDefaultCellTwips = 1440;
constexpr double kTwipsPerPixel = 15.0;

double Pixels(double twips)
{
    return twips / kTwipsPerPixel;
}

QColor ColorOf(const RichDocument& model, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.colors.size())
        return {};
    const RichColor& c = model.colors[static_cast<std::size_t>(index)];
    return c.automatic ? QColor() : QColor(c.red, c.green, c.blue);
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
    const int count = std::min(std::max(textCells, defined), kMaxColumns);
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
    // A row pulled left of the margin (the usual \trleft of minus the gap) starts at the
    // margin: its first cell is narrower, the others keep their edges.
    std::int32_t left = std::clamp(row.origin, -kMaxTwips, kMaxTwips);
    if (left < 0)
        left = std::min(0, right[0] - kMinCellTwips);

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

void SetBorder(QTextTableCellFormat& format, int side, const CellBorder& border, const RichDocument& model)
{
    double width = 0;
    auto style = QTextFrameFormat::BorderStyle_None;
    if (border.style != BorderStyle::None) {
        width = std::max(1.0, Pixels(border.width));
        switch (border.style) {
        case BorderStyle::Thick:
            width *= 2;
            style = QTextFrameFormat::BorderStyle_Solid;
            break;
        case BorderStyle::Double:
            width = std::max(3.0, width * 3);
            style = QTextFrameFormat::BorderStyle_Double;
            break;
        case BorderStyle::Dotted:
            style = QTextFrameFormat::BorderStyle_Dotted;
            break;
        case BorderStyle::Dashed:
            style = QTextFrameFormat::BorderStyle_Dashed;
            break;
        default:
            style = QTextFrameFormat::BorderStyle_Solid;
            break;
        }
        width = std::min(width, 20.0);
    }
    QColor color = ColorOf(model, border.color);
    const QBrush brush(color.isValid() ? color : QColor(Qt::black));
    switch (side) {
    case 0:
        format.setTopBorder(width);
        format.setTopBorderStyle(style);
        format.setTopBorderBrush(brush);
        break;
    case 1:
        format.setLeftBorder(width);
        format.setLeftBorderStyle(style);
        format.setLeftBorderBrush(brush);
        break;
    case 2:
        format.setBottomBorder(width);
        format.setBottomBorderStyle(style);
        format.setBottomBorderBrush(brush);
        break;
    default:
        format.setRightBorder(width);
        format.setRightBorderStyle(style);
        format.setRightBorderBrush(brush);
        break;
    }
}

const CellBorder& Either(const CellBorder& own, const CellBorder& row)
{
    return own.style != BorderStyle::None ? own : row;
}

// The cell's fill: the pattern colour laid over the background at the shading's strength.
QColor Shading(const RichDocument& model, const TableCell& cell)
{
    if (cell.background < 0 && cell.shading <= 0)
        return {};
    QColor background = ColorOf(model, cell.background);
    if (!background.isValid())
        background = Qt::white;
    QColor pattern = ColorOf(model, cell.pattern);
    if (!pattern.isValid())
        pattern = Qt::black;
    const double s = std::clamp(cell.shading, 0, 10000) / 10000.0;
    return QColor::fromRgbF(static_cast<float>(background.redF() * (1 - s) + pattern.redF() * s),
                            static_cast<float>(background.greenF() * (1 - s) + pattern.greenF() * s),
                            static_cast<float>(background.blueF() * (1 - s) + pattern.blueF() * s));
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
            joins = static_cast<int>(edges.size()) - 1 <= kMaxColumns;
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

std::optional<RichDocument> WithTablesBounded(const RichDocument& model)
{
    const auto tooLong = [](const RichTableRow& row) { return row.separators.size() >= kMaxColumns; };
    std::size_t cells = 0;
    for (const RichTableRow& row : model.tableRows)
        cells += row.separators.size() + 1;
    if (cells <= kMaxDocumentTableCells &&
        std::none_of(model.tableRows.begin(), model.tableRows.end(), tooLong))
        return std::nullopt;
    RichDocument out = model;
    out.tableRows.clear();
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
        // Each part: kMaxColumns text cells, the last part what remains.
        const std::size_t textCells = row.separators.size() + 1;
        for (std::size_t first = 0; first < textCells; first += kMaxColumns) {
            const std::size_t end = std::min(first + kMaxColumns, textCells); // text cells [first, end)
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

QTextTableFormat TableFormatOf(const RichDocument& model, const PlannedTable& table)
{
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setMargin(0);
    const RichTableRow& first = model.tableRows[table.rows.front().row];
    switch (first.alignment) {
    case Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    default:
        format.setAlignment(Qt::AlignLeft);
        format.setLeftMargin(std::max(0.0, Pixels(table.edges.front())));
        break;
    }
    QList<QTextLength> widths;
    for (std::size_t i = 0; i + 1 < table.edges.size(); ++i)
        widths.append(QTextLength(QTextLength::FixedLength, Pixels(table.edges[i + 1] - table.edges[i])));
    format.setColumnWidthConstraints(widths);
    return format;
}

QTextTableCellFormat CellFormatOf(const RichDocument& model, const PlannedTable& table, std::size_t rowIndex,
                                  std::size_t cellIndex)
{
    const PlannedRow& planned = table.rows[rowIndex];
    const RichTableRow& row = model.tableRows[planned.row];
    const PlannedCell& placed = planned.cells[cellIndex];
    QTextTableCellFormat format;
    format.setLeftPadding(Pixels(row.paddingLeft >= 0 ? row.paddingLeft : row.gap));
    format.setRightPadding(Pixels(row.paddingRight >= 0 ? row.paddingRight : row.gap));
    format.setTopPadding(0);
    format.setBottomPadding(0);
    if (placed.definition < 0)
        return format;
    const TableCell& cell = row.cells[static_cast<std::size_t>(placed.definition)];
    if (cell.paddingLeft >= 0)
        format.setLeftPadding(Pixels(cell.paddingLeft));
    if (cell.paddingTop >= 0)
        format.setTopPadding(Pixels(cell.paddingTop));
    if (cell.paddingRight >= 0)
        format.setRightPadding(Pixels(cell.paddingRight));
    if (cell.paddingBottom >= 0)
        format.setBottomPadding(Pixels(cell.paddingBottom));
    // A merged cell's right side is its last part's.
    std::size_t last = static_cast<std::size_t>(placed.definition);
    while (last + 1 < row.cells.size() && row.cells[last + 1].merged)
        ++last;
    const bool firstRow = rowIndex == 0;
    const bool lastRow = rowIndex + 1 == table.rows.size();
    const bool firstCell = cellIndex == 0;
    const bool lastCell = cellIndex + 1 == planned.cells.size();
    SetBorder(format, 0, Either(cell.top, firstRow ? row.top : row.horizontal), model);
    SetBorder(format, 1, Either(cell.left, firstCell ? row.left : row.vertical), model);
    SetBorder(format, 2, Either(cell.bottom, lastRow ? row.bottom : row.horizontal), model);
    SetBorder(format, 3, Either(row.cells[last].right, lastCell ? row.right : row.vertical), model);
    if (const QColor fill = Shading(model, cell); fill.isValid())
        format.setBackground(fill);
    if (cell.vertical == CellAlignment::Center)
        format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (cell.vertical == CellAlignment::Bottom)
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);
    return format;
}

} // namespace mirelda::ui
