#include "ui/view/text_lines.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace mirelda::ui {

QPointF BlockOrigin(const QTextBlock& block)
{
    return block.document()->documentLayout()->blockBoundingRect(block).topLeft();
}

LineRef LineAtY(const QTextDocument& doc, qreal y)
{
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    int pos = layout->hitTest(QPointF(0, y), Qt::FuzzyHit);
    QTextBlock block = doc.findBlock(std::max(0, pos));
    if (!block.isValid())
        block = doc.firstBlock();
    while (block.isValid() && block.previous().isValid() && layout->blockBoundingRect(block).top() > y)
        block = block.previous();
    LineRef last;
    for (; block.isValid(); block = block.next()) {
        const QTextLayout* tl = block.layout();
        if (!tl || !block.isVisible())
            continue;
        const qreal top = BlockOrigin(block).y();
        const QTextBlock next = block.next();
        for (int i = 0; i < tl->lineCount(); ++i) {
            last = {block, i};
            const qreal lineTop = top + tl->lineAt(i).y();
            // Lines set closer than the font's own height (a proportional spacing under 100 %)
            // overlap: a line ends where the next one below it begins.
            qreal bottom = top + tl->lineAt(i).rect().bottom();
            const qreal nextTop = i + 1 < tl->lineCount() ? top + tl->lineAt(i + 1).y()
                                  : next.isValid()        ? layout->blockBoundingRect(next).top()
                                                          : bottom;
            if (nextTop > lineTop)
                bottom = std::min(bottom, nextTop);
            if (bottom > y)
                return last;
        }
    }
    return last;
}

qreal LineTop(const LineRef& ref)
{
    return BlockOrigin(ref.block).y() + ref.block.layout()->lineAt(ref.line).y();
}

LineRef NextLine(LineRef ref, int step)
{
    ref.line += step;
    while (ref.block.isValid() && (ref.line < 0 || ref.line >= ref.block.layout()->lineCount())) {
        ref.block = step > 0 ? ref.block.next() : ref.block.previous();
        if (!ref.block.isValid() || !ref.block.layout())
            return {};
        ref.line = step > 0 ? 0 : ref.block.layout()->lineCount() - 1;
    }
    return ref.block.isValid() ? ref : LineRef{};
}

} // namespace mirelda::ui
