#include "ui/richtext/table_format.h"

#include "core/richtext/units.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace mirelda::ui {

QColor ColorOf(const RichDocument& model, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.colors.size())
        return {};
    const RichColor& c = model.colors[static_cast<std::size_t>(index)];
    return c.automatic ? QColor() : QColor(c.red, c.green, c.blue);
}

namespace {

void SetBorder(QTextTableCellFormat& format, int side, const CellBorder& border, const RichDocument& model)
{
    const double width = BorderPixels(border);
    auto style = QTextFrameFormat::BorderStyle_None;
    switch (border.style) {
    case BorderStyle::None:
        break;
    case BorderStyle::Double:
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

} // namespace

double LeftMarginWithinRoom(double wanted, double room, QList<QTextLength>& widths)
{
    const double left = std::max(wanted, -std::max(room, 0.0));
    if (left > wanted && !widths.isEmpty() && widths.front().type() == QTextLength::FixedLength) {
        // A row lying wholly left of the room moves right instead, its first column kept visible.
        const double full = widths.front().rawValue();
        widths.front() =
            QTextLength(QTextLength::FixedLength, std::max(full - (left - wanted), std::min(full, 2.0)));
    }
    return left;
}

QTextTableFormat TableFormatOf(const RichDocument& model, const PlannedTable& table, double leftRoom)
{
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setMargin(0);
    const RichTableRow& first = model.tableRows[table.rows.front().row];
    QList<QTextLength> widths;
    for (std::size_t i = 0; i + 1 < table.edges.size(); ++i)
        widths.append(
            QTextLength(QTextLength::FixedLength, TwipsToPixels(table.edges[i + 1] - table.edges[i])));
    switch (first.alignment) {
    case Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    default:
        format.setAlignment(Qt::AlignLeft);
        format.setLeftMargin(LeftMarginWithinRoom(TwipsToPixels(table.edges.front()), leftRoom, widths));
        break;
    }
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
    format.setLeftPadding(TwipsToPixels(row.paddingLeft >= 0 ? row.paddingLeft : row.gap));
    format.setRightPadding(TwipsToPixels(row.paddingRight >= 0 ? row.paddingRight : row.gap));
    format.setTopPadding(0);
    format.setBottomPadding(0);
    if (placed.definition < 0)
        return format;
    const TableCell& cell = row.cells[static_cast<std::size_t>(placed.definition)];
    if (cell.paddingLeft >= 0)
        format.setLeftPadding(TwipsToPixels(cell.paddingLeft));
    if (cell.paddingTop >= 0)
        format.setTopPadding(TwipsToPixels(cell.paddingTop));
    if (cell.paddingRight >= 0)
        format.setRightPadding(TwipsToPixels(cell.paddingRight));
    if (cell.paddingBottom >= 0)
        format.setBottomPadding(TwipsToPixels(cell.paddingBottom));
    const PlannedBorders borders = BordersOf(model, table, rowIndex, cellIndex);
    SetBorder(format, 0, borders.top, model);
    SetBorder(format, 1, borders.left, model);
    SetBorder(format, 2, borders.bottom, model);
    SetBorder(format, 3, borders.right, model);
    if (const std::optional<CellFill> fill = FillOf(model, cell))
        format.setBackground(QColor::fromRgbF(static_cast<float>(fill->red), static_cast<float>(fill->green),
                                              static_cast<float>(fill->blue)));
    if (cell.vertical == CellAlignment::Center)
        format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (cell.vertical == CellAlignment::Bottom)
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);
    return format;
}

} // namespace mirelda::ui
