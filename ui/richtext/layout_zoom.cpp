#include "ui/richtext/layout_zoom.h"

#include "ui/richtext/table_format.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <initializer_list>

namespace mirelda::ui {

namespace {

// The built value of property `id` is kept under this offset from it.
constexpr int kBuiltOffset = QTextFormat::UserProperty + 0x6000;

// The value `id` had when the document was built: kept aside the first time, read back
// afterwards. Invalid when the format never had the property.
QVariant Built(QTextFormat& format, int id)
{
    const int builtId = kBuiltOffset + id;
    if (format.hasProperty(builtId))
        return format.property(builtId);
    const QVariant value = format.property(id);
    if (value.isValid())
        format.setProperty(builtId, value);
    return value;
}

void ScaleLengths(QTextFormat& format, std::initializer_list<int> ids, double factor)
{
    for (const int id : ids)
        if (const QVariant built = Built(format, id); built.isValid())
            format.setProperty(id, built.toDouble() * factor);
}

QTextBlockFormat ScaledBlock(QTextBlockFormat format, double factor)
{
    ScaleLengths(format,
                 {QTextFormat::BlockLeftMargin, QTextFormat::BlockRightMargin, QTextFormat::TextIndent,
                  QTextFormat::BlockTopMargin, QTextFormat::BlockBottomMargin},
                 factor);
    // A proportional line height follows the text by itself.
    if (format.lineHeightType() == QTextBlockFormat::FixedHeight ||
        format.lineHeightType() == QTextBlockFormat::MinimumHeight)
        ScaleLengths(format, {QTextFormat::LineHeight}, factor);
    if (const QVariant built = Built(format, QTextFormat::TabPositions); built.isValid()) {
        QTextBlockFormat original;
        original.setProperty(QTextFormat::TabPositions, built);
        QList<QTextOption::Tab> tabs = original.tabPositions();
        for (QTextOption::Tab& tab : tabs)
            tab.position *= factor;
        format.setTabPositions(tabs);
    }
    return format;
}

void ScaleTable(QTextTable& table, double factor)
{
    QTextTableFormat format = table.format();
    ScaleLengths(format,
                 {QTextFormat::FrameLeftMargin, QTextFormat::FrameRightMargin, QTextFormat::FrameTopMargin,
                  QTextFormat::FrameBottomMargin, QTextFormat::TableCellPadding,
                  QTextFormat::TableCellSpacing},
                 factor);
    QList<QTextLength> widths;
    if (const QVariant built = Built(format, QTextFormat::TableColumnWidthConstraints); built.isValid()) {
        // Kept as the format keeps it (a list of variants): read back through a format.
        QTextTableFormat original;
        original.setProperty(QTextFormat::TableColumnWidthConstraints, built);
        for (const QTextLength& width : original.columnWidthConstraints())
            widths.append(width.type() == QTextLength::FixedLength
                              ? QTextLength(QTextLength::FixedLength, width.rawValue() * factor)
                              : width);
    }
    // A table pulled left into the document's margin stays inside it, whatever the zoom.
    if (const QTextFrame* root = table.document()->rootFrame(); table.parentFrame() == root)
        format.setLeftMargin(
            LeftMarginWithinRoom(format.leftMargin(), root->frameFormat().leftMargin(), widths));
    if (!widths.isEmpty())
        format.setColumnWidthConstraints(widths);
    table.setFormat(format);
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column)
                continue; // the covered part of a merged cell
            QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            ScaleLengths(cellFormat,
                         {QTextFormat::TableCellLeftPadding, QTextFormat::TableCellRightPadding,
                          QTextFormat::TableCellTopPadding, QTextFormat::TableCellBottomPadding},
                         factor);
            cell.setFormat(cellFormat);
        }
    }
}

void ScaleFrames(QTextFrame& frame, double factor)
{
    for (QTextFrame* child : frame.childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            ScaleTable(*table, factor);
        ScaleFrames(*child, factor);
    }
}

} // namespace

void ScaleLayoutLengths(QTextDocument& doc, double factor)
{
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    ScaleFrames(*doc.rootFrame(), factor);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor at(block);
        at.setBlockFormat(ScaledBlock(block.blockFormat(), factor));
    }
    cursor.endEditBlock();
}

} // namespace mirelda::ui
