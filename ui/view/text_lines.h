#pragma once
// The lines of a laid-out QTextDocument, in document coordinates: which line shows a height,
// and the line after or before it, across paragraphs and table cells.

#include <QPointF>
#include <QTextBlock>

class QTextDocument;

namespace mirelda::ui {

// Where a block's layout sits in the document: a table cell's block is laid out relative to
// its cell, so its own layout position says nothing about the document.
QPointF BlockOrigin(const QTextBlock& block);

struct LineRef
{
    QTextBlock block;
    int line = -1; // index in block.layout(), -1 when the document has no line at all
};

// The line that shows document height `y`: the first line whose bottom lies below it, so
// that a point in the space between paragraphs belongs to the line that follows, and a
// point below the text to the last line.
LineRef LineAtY(const QTextDocument& doc, qreal y);

// The top of a line (line >= 0) in the document.
qreal LineTop(const LineRef& ref);

// The line after (`step` 1) or before (-1) `ref`, across paragraphs; line -1 when there is none.
LineRef NextLine(LineRef ref, int step);

} // namespace mirelda::ui
