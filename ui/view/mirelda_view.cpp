#include "ui/view/mirelda_view.h"

#include "core/session/help_session.h"
#include "core/store/cp1252.h"
#include "core/view/copied_text.h"
#include "core/view/text_zoom.h"
#include "ui/view/printing.h"
#include "ui/view/text_lines.h"
#include "ui/view/text_size.h"
#include "ui/view/view_host.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>

namespace mirelda::ui {

namespace {

using mirelda::ui::BlockOrigin;
using mirelda::ui::LineAtY;
using mirelda::ui::LineRef;

// Room between the view's frame and the text, besides the document's own 4 pixels: outside
// the viewport, so that no position, hit test or layout changes with it.
constexpr int kTextMargin = 6;

} // namespace

CMireldaView::CMireldaView(ViewHost& host, mirelda::HelpSession& session, QWidget* parent)
    : QTextEdit(parent), host_(host), session_(session)
{
    setObjectName(QStringLiteral("articleView"));
    setReadOnly(true);
    // Selectable by mouse only: with no keyboard interaction the control draws no caret.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setCursorWidth(0);
    setUndoRedoEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setTabChangesFocus(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::ArrowCursor);
    setViewportMargins(kTextMargin, 0, kTextMargin, 0);
    setBackgroundRole(QPalette::Base); // the margins look like the page
    setAutoFillBackground(true);
    content_.text = std::u16string(1, u'\r');
    setAccessibleName(QStringLiteral("Article"));
    setAccessibleDescription(viewDescription());
    zoom_ = SavedTextZoom();
}

CMireldaView::~CMireldaView() = default;

// ---- The article shown ----------------------------------------------------------------------

void CMireldaView::ShowArticleText(std::string rtf)
{
    // The hits and the link focus belong to the old text; their cursors must go before the
    // document that holds them does.
    focusedLink_ = -1;
    clearHighlights();
    content_ = mirelda::ui::SetRichText(*this, rtf);
    if (zoom_ != 100)
        ApplyTextZoom(*document(), zoom_);
    articleRtf_ = std::move(rtf);
    lastFind_ = {};
    announceLinkFocus();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void CMireldaView::ShowArticleLinks(mirelda::LinkTable links)
{
    links_ = std::move(links);
    links_.ClampTo(static_cast<std::int32_t>(content_.text.size()));
}

void CMireldaView::ShowMissingArticle(std::int32_t number)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("KEL-Info"),
                    QStringLiteral("Cet article n'existe pas ! (ER%1)").arg(number), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("missingArticleMessage"));
    box.exec();
}

std::int32_t CMireldaView::currentArticle() const
{
    return session_.currentArticle();
}

QString CMireldaView::currentTitle() const
{
    return QString::fromStdU16String(mirelda::DecodeCp1252(session_.navigator().currentTitle()));
}

// ---- Positions ----------------------------------------------------------------------------

int CMireldaView::documentPosition(std::int32_t modelPosition) const
{
    const int last = std::max(0, document()->characterCount() - 1);
    return std::clamp(content_.map.toDocument(std::max(0, modelPosition)), 0, last);
}

std::int32_t CMireldaView::modelPosition(int documentPosition) const
{
    const auto last = static_cast<std::int32_t>(content_.text.size()) - 1;
    return std::clamp(content_.map.toModel(std::max(0, documentPosition)), 0, std::max(0, last));
}

std::int32_t CMireldaView::FirstVisiblePosition() const
{
    const LineRef line = LineAtY(*document(), verticalScrollBar()->value());
    if (line.line < 0)
        return 0;
    return modelPosition(line.block.position() + line.block.layout()->lineAt(line.line).textStart());
}

void CMireldaView::ScrollToPosition(std::int32_t position)
{
    QTextDocument* doc = document();
    // Lay the whole text out so that the scroll range reaches the line.
    doc->documentLayout()->documentSize();
    const int at = documentPosition(position);
    const QTextBlock block = doc->findBlock(at);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    if (!layout)
        return;
    const QTextLine line = layout->lineForTextPosition(at - block.position());
    if (!line.isValid())
        return;
    verticalScrollBar()->setValue(qCeil(BlockOrigin(block).y() + line.y()));
}

std::int32_t CMireldaView::positionAt(QPoint viewportPoint) const
{
    const QPointF point(viewportPoint.x() + horizontalScrollBar()->value(),
                        viewportPoint.y() + verticalScrollBar()->value());
    LineRef ref = LineAtY(*document(), point.y());
    if (ref.line < 0)
        return -1;
    // Inside a table the lines side by side belong to different cells: the cell under the
    // point decides.
    const int hit = document()->documentLayout()->hitTest(point, Qt::FuzzyHit);
    QTextCursor atHit(document());
    atHit.setPosition(std::clamp(hit, 0, document()->characterCount() - 1));
    if (hit >= 0 && (atHit.currentTable() || QTextCursor(ref.block).currentTable())) {
        ref.block = atHit.block();
        const QTextLayout* tl = ref.block.layout();
        const qreal top = BlockOrigin(ref.block).y();
        ref.line = tl && tl->lineCount() > 0 ? tl->lineCount() - 1 : -1;
        for (int i = 0; tl && i < tl->lineCount(); ++i) {
            if (top + tl->lineAt(i).rect().bottom() > point.y()) {
                ref.line = i;
                break;
            }
        }
        if (ref.line < 0)
            return modelPosition(ref.block.position());
    }
    const QTextLayout* layout = ref.block.layout();
    const QTextLine line = layout->lineAt(ref.line);
    int inBlock = line.xToCursor(point.x() - BlockOrigin(ref.block).x(), QTextLine::CursorOnCharacter);
    // Past the end of a wrapped line the point is over that line's last character, not over
    // the first character of the next line.
    const int lineEnd = line.textStart() + line.textLength();
    if (ref.line + 1 < layout->lineCount() && inBlock >= lineEnd)
        inBlock = lineEnd - 1;
    inBlock = std::clamp(inBlock, line.textStart(), std::max(line.textStart(), lineEnd));
    return modelPosition(ref.block.position() + inBlock);
}

QRect CMireldaView::characterRect(std::int32_t position) const
{
    const int at = documentPosition(position);
    const QTextBlock block = document()->findBlock(at);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    if (!layout)
        return {};
    const int inBlock = at - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return {};
    const qreal x1 = line.cursorToX(inBlock);
    const int lineEnd = line.textStart() + line.textLength();
    qreal x2 = inBlock < lineEnd ? line.cursorToX(inBlock + 1) : x1;
    if (qFuzzyCompare(x1, x2))
        x2 = x1 + 4; // a paragraph mark: a narrow box after the text
    const QPointF origin = BlockOrigin(block);
    const QRectF r(origin.x() + std::min(x1, x2), origin.y() + line.y(), std::abs(x2 - x1), line.height());
    return r.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()).toRect();
}

// ---- Selection and find -------------------------------------------------------------------

std::int32_t CMireldaView::selectionStart() const
{
    const QTextCursor c = textCursor();
    if (lastFind_.valid && c.selectionStart() == lastFind_.documentStart &&
        c.selectionEnd() == lastFind_.documentEnd)
        return lastFind_.modelStart;
    return modelPosition(c.selectionStart());
}

std::int32_t CMireldaView::selectionEnd() const
{
    const QTextCursor c = textCursor();
    if (lastFind_.valid && c.selectionStart() == lastFind_.documentStart &&
        c.selectionEnd() == lastFind_.documentEnd)
        return lastFind_.modelEnd;
    if (!c.hasSelection())
        return selectionStart();
    const auto last = static_cast<std::int32_t>(content_.text.size()) - 1;
    return std::clamp(content_.map.toModelEnd(c.selectionEnd()), 0, std::max(0, last));
}

void CMireldaView::setSelection(std::int32_t first, std::int32_t end)
{
    const auto size = static_cast<std::int32_t>(content_.text.size());
    first = std::clamp(first, 0, size);
    end = std::clamp(end, first, size);
    QTextCursor c(document());
    const int docFirst = documentPosition(first);
    const int lastDoc = std::max(0, document()->characterCount() - 1);
    const int docEnd = std::max(docFirst, std::clamp(content_.map.toDocumentEnd(end), 0, lastDoc));
    c.setPosition(docFirst);
    c.setPosition(docEnd, QTextCursor::KeepAnchor);
    setTextCursor(c);
    // Hidden text at either end has no document position of its own: remember the model
    // range so that the next find starts where this one said.
    lastFind_ = {true, docFirst, docEnd, first, end};
}

void CMireldaView::SelectAll()
{
    setSelection(0, static_cast<std::int32_t>(content_.text.size()));
}

// The copied text is the model's: cells separated by tabs and rows ended by line ends, as
// the article holds them, hidden text left out. The rich flavour stays the control's.
QMimeData* CMireldaView::createMimeDataFromSelection() const
{
    // The control's own data fills its plain text late from the document: copy its rich
    // flavour into data of our own.
    const std::unique_ptr<QMimeData> rich(QTextEdit::createMimeDataFromSelection());
    auto* data = new QMimeData;
    if (rich && rich->hasHtml())
        data->setHtml(rich->html());
    data->setText(QString::fromStdU16String(
        mirelda::CopiedText(content_.text, content_.hidden, selectionStart(), selectionEnd())));
    return data;
}

// ---- Text size ----------------------------------------------------------------------------

void CMireldaView::setTextZoom(int percent)
{
    percent = mirelda::ValidTextZoom(std::clamp(percent, mirelda::kMinTextZoom, mirelda::kMaxTextZoom));
    if (percent == zoom_)
        return;
    const std::int32_t top = FirstVisiblePosition();
    zoom_ = percent;
    ApplyTextZoom(*document(), zoom_);
    if (top != 0)
        ScrollToPosition(top);
    SaveTextZoom(zoom_);
    emit textZoomChanged(zoom_);
}

// ---- Events -------------------------------------------------------------------------------

bool CMireldaView::event(QEvent* e)
{
    // Shortcuts belong to the frame's command table (copy, select all...): the control must
    // not claim them as typing.
    if (e->type() == QEvent::ShortcutOverride) {
        e->ignore();
        return true;
    }
    return QTextEdit::event(e);
}

void CMireldaView::focusInEvent(QFocusEvent* e)
{
    QTextEdit::focusInEvent(e);
    setCursorWidth(0);
}

void CMireldaView::mouseMoveEvent(QMouseEvent* e)
{
    QTextEdit::mouseMoveEvent(e);
    updateLinkCursor(e->position().toPoint());
}

void CMireldaView::updateLinkCursor(QPoint viewportPoint)
{
    const std::int32_t position = positionAt(viewportPoint);
    const bool overLink = position >= 0 && links_.LinkAt(position) != nullptr;
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CMireldaView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        if (QMenu* menu = host_.viewContextMenu())
            menu->exec(QCursor::pos());
        QTextEdit::mousePressEvent(e);
        return;
    }
    if (e->button() == Qt::LeftButton) {
        const std::int32_t position = positionAt(e->position().toPoint());
        if (const mirelda::LinkRecord* link = position >= 0 ? links_.LinkAt(position) : nullptr) {
            // The click follows the link and leaves the text and its selection alone.
            const mirelda::LinkRecord chosen = *link;
            e->accept();
            followLink(chosen, e->globalPosition().toPoint());
            return;
        }
    }
    QTextEdit::mousePressEvent(e);
}

void CMireldaView::contextMenuEvent(QContextMenuEvent* e)
{
    // The menu opens on the right button press; the menu key is a key like any other.
    e->accept();
}

// ---- Printing -----------------------------------------------------------------------------

std::unique_ptr<QTextDocument> CMireldaView::printDocument(const QPrinter& printer) const
{
    const QTextCursor selection = textCursor();
    return ArticlePrintout(articleRtf_, font(), printer, selection.selectionStart(),
                           selection.selectionEnd());
}

void CMireldaView::printArticle(QPrinter* printer) const
{
    if (printer)
        printDocument(*printer)->print(printer);
}

void CMireldaView::FilePrint()
{
    PrintThroughDialog(this, textCursor().hasSelection(), {},
                       [this](QPrinter& printer) { printArticle(&printer); });
}

void CMireldaView::FilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    printArticle(&printer);
}

void CMireldaView::FilePrintPreview()
{
    PrintPreview(this, nullptr, [this](QPrinter& printer) { printArticle(&printer); });
}

void CMireldaView::printBook(QPrinter& printer, const std::vector<std::int32_t>& articles,
                             const QString& documentTitle)
{
    auto printed =
        PrintBook(printer, session_.index(), session_.files().pgd, articles, font(), documentTitle);
    if (!printed.ok())
        host_.ReportFileError(printed.error());
}

void CMireldaView::FilePrintBook(const std::vector<std::int32_t>& articles, const QString& documentTitle,
                                 const QString& bookTitle)
{
    PrintThroughDialog(this, false, BookFileName(bookTitle),
                       [&](QPrinter& printer) { printBook(printer, articles, documentTitle); });
}

void CMireldaView::FilePrintBookPreview(const std::vector<std::int32_t>& articles,
                                        const QString& documentTitle, const QString& bookTitle)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(BookFileName(bookTitle));
    PrintPreview(this, &printer, [&](QPrinter& target) { printBook(target, articles, documentTitle); });
}

} // namespace mirelda::ui
