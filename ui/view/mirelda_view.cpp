#include "ui/view/mirelda_view.h"

#include "core/lists/navigator.h"
#include "core/richtext/rtf_reader.h"
#include "core/richtext/text_find.h"
#include "core/store/cp1252.h"
#include "core/view/copied_text.h"
#include "core/view/link_focus.h"
#include "core/view/text_zoom.h"
#include "ui/richtext/text_document_builder.h"
#include "ui/view/book_printer.h"
#include "ui/view/text_size.h"
#include "ui/view/view_host.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>

namespace {

// Where a block's layout sits in the document: a table cell's block is laid out relative to
// its cell, so its own layout position says nothing about the document.
QPointF Origin(const QTextBlock& block)
{
    return block.document()->documentLayout()->blockBoundingRect(block).topLeft();
}

struct LineRef
{
    QTextBlock block;
    int line = -1; // index in block.layout(), -1 when the document has no line at all
};

// The line that shows document height `y`: the first line whose bottom lies below it, so
// that a point in the space between paragraphs belongs to the line that follows, and a
// point below the text to the last line.
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
        const qreal top = Origin(block).y();
        for (int i = 0; i < tl->lineCount(); ++i) {
            last = {block, i};
            if (top + tl->lineAt(i).rect().bottom() > y)
                return last;
        }
    }
    return last;
}

qreal LineTop(const LineRef& ref)
{
    return Origin(ref.block).y() + ref.block.layout()->lineAt(ref.line).y();
}

// The line after or before `ref`, across paragraphs; line -1 when there is none.
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

const QString kViewDescription =
    QStringLiteral("Texte de l'article courant. Ctrl+Tab et Ctrl+Maj+Tab : lien suivant ou précédent ; "
                   "Ctrl+Entrée : suivre le lien ; Ctrl+plus et Ctrl+moins : taille du texte.");

// Enough to show where a word occurs; a one-letter search in a huge article stops there.
constexpr std::size_t kMaxHighlights = 10000;

// Room between the view's frame and the text, besides the document's own 4 pixels: outside
// the viewport, so that no position, hit test or layout changes with it.
constexpr int kTextMargin = 6;

} // namespace

CMireldaView::CMireldaView(ViewHost& host, mirelda::Navigator& navigator, QWidget* parent)
    : QTextEdit(parent), host_(host), navigator_(navigator)
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
    setAccessibleDescription(kViewDescription);
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
    content_ = mirelda::SetRichText(*this, rtf);
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
    return navigator_.currentArticle();
}

QString CMireldaView::currentTitle() const
{
    return QString::fromStdU16String(mirelda::DecodeCp1252(navigator_.currentTitle()));
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
    verticalScrollBar()->setValue(qCeil(Origin(block).y() + line.y()));
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
        const qreal top = Origin(ref.block).y();
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
    int inBlock = line.xToCursor(point.x() - Origin(ref.block).x(), QTextLine::CursorOnCharacter);
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
    const QPointF origin = Origin(block);
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

std::int32_t CMireldaView::FindInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    HighlightOccurrences(text, matchCase, wholeWord);
    setSelection(0, 0);
    return FindNextInArticle(text, matchCase, wholeWord);
}

std::int32_t CMireldaView::FindNextInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    const std::u16string what = text.toStdU16String();
    std::int32_t from = selectionStart();
    if (selectionEnd() != from)
        ++from;
    const std::int32_t found = mirelda::FindText(content_.text, what, from, matchCase, wholeWord);
    if (found < 0)
        return -1;
    // The string may have changed since the last find: the highlights follow it.
    if (text != hitsText_ || matchCase != hitsMatchCase_ || wholeWord != hitsWholeWord_ || hits_.empty())
        HighlightOccurrences(text, matchCase, wholeWord);
    setSelection(found, found + static_cast<std::int32_t>(what.size()));
    ensureCursorVisible();
    markCurrentHighlight(found);
    return found;
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

int CMireldaView::HighlightOccurrences(const QString& text, bool matchCase, bool wholeWord)
{
    currentHit_ = -1;
    hitsText_ = text;
    hitsMatchCase_ = matchCase;
    hitsWholeWord_ = wholeWord;
    // One further each time, as FindNextInArticle goes: "&Suivant" then lands on each of them.
    hits_ = mirelda::FindAllText(content_.text, text.toStdU16String(), matchCase, wholeWord, kMaxHighlights);
    updateExtraSelections();
    emit findCountChanged(0, static_cast<int>(hits_.size()));
    return static_cast<int>(hits_.size());
}

void CMireldaView::clearHighlights()
{
    const bool had = !hits_.empty();
    hits_.clear();
    currentHit_ = -1;
    hitsText_.clear();
    updateExtraSelections();
    if (had)
        emit findCountChanged(0, 0);
}

void CMireldaView::markCurrentHighlight(std::int32_t found)
{
    const auto at = std::lower_bound(hits_.begin(), hits_.end(), std::pair(found, std::int32_t{0}));
    currentHit_ = at != hits_.end() && at->first == found ? static_cast<int>(at - hits_.begin()) : -1;
    updateExtraSelections();
    emit findCountChanged(currentHit_ + 1, static_cast<int>(hits_.size()));
}

// ---- Keyboard access to links -------------------------------------------------------------

const mirelda::LinkRecord* CMireldaView::focusedLink() const
{
    const auto& records = links_.records();
    return focusedLink_ >= 0 && focusedLink_ < static_cast<int>(records.size()) ? &records[focusedLink_]
                                                                                : nullptr;
}

void CMireldaView::FocusNextLink(bool forward)
{
    const auto& records = links_.records();
    const int next = mirelda::NextFocusedLink(records, content_.map, focusedLink_, forward);
    if (next < 0)
        return;
    focusedLink_ = next;

    const mirelda::LinkRecord& link = records[focusedLink_];
    const QRect first = characterRect(link.first);
    const QRect last = characterRect(link.last);
    if (first.top() < 0 || last.bottom() > viewport()->height())
        ScrollToPosition(link.first);
    updateExtraSelections();
    announceLinkFocus();
}

bool CMireldaView::FollowFocusedLink()
{
    const mirelda::LinkRecord* link = focusedLink();
    if (!link)
        return false;
    // The pop-up opens beside the link, as it does beside the click.
    const mirelda::LinkRecord chosen = *link;
    followLink(chosen, viewport()->mapToGlobal(characterRect(chosen.first).center()));
    return true;
}

void CMireldaView::followLink(const mirelda::LinkRecord& link, QPoint screenPoint)
{
    lastLinkClick_ = screenPoint;
    navigator_.ShowArticle(link.target, 0);
}

void CMireldaView::announceLinkFocus()
{
    QString description = kViewDescription;
    if (const mirelda::LinkRecord* link = focusedLink()) {
        QTextCursor c(document());
        c.setPosition(documentPosition(link->first));
        c.setPosition(documentPosition(mirelda::LinkEnd(*link)), QTextCursor::KeepAnchor);
        description = QStringLiteral("Lien : %1").arg(c.selectedText());
    }
    if (description == accessibleDescription())
        return;
    setAccessibleDescription(description);
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    if (hasFocus() && focusedLink()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void CMireldaView::updateExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections;
    const auto add = [&](std::int32_t first, std::int32_t end, const QTextCharFormat& format) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(documentPosition(first));
        selection.cursor.setPosition(documentPosition(end), QTextCursor::KeepAnchor);
        selection.format = format;
        selections.append(selection);
    };
    QTextCharFormat hit;
    hit.setBackground(QColor(255, 230, 90));
    hit.setForeground(QColor(Qt::black));
    for (const auto& [first, end] : hits_)
        add(first, end, hit);
    if (currentHit_ >= 0 && currentHit_ < static_cast<int>(hits_.size())) {
        // The occurrence found last stands out from the others, whichever window is active.
        QTextCharFormat current = hit;
        current.setBackground(QColor(255, 150, 50));
        add(hits_[currentHit_].first, hits_[currentHit_].second, current);
    }
    if (const mirelda::LinkRecord* link = focusedLink()) {
        QTextCharFormat focus;
        focus.setBackground(palette().highlight());
        focus.setForeground(palette().highlightedText());
        add(link->first, mirelda::LinkEnd(*link), focus);
    }
    setExtraSelections(selections);
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

void CMireldaView::keyPressEvent(QKeyEvent* e)
{
    if (!handleComfortKey(e))
        HandleNavigationKey(e->key());
    // Never passed on: typing does nothing in the view.
    e->accept();
}

bool CMireldaView::HandleNavigationKey(int key)
{
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    switch (key) {
    case Qt::Key_Escape:
        host_.minimizeMainWindow();
        break;
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_End:
        v->triggerAction(QAbstractSlider::SliderToMaximum);
        h->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_Home:
        v->triggerAction(QAbstractSlider::SliderToMinimum);
        h->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Up:
        scrollOneLine(-1);
        break;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Down:
        scrollOneLine(1);
        break;
    default:
        return false;
    }
    return true;
}

bool CMireldaView::handleComfortKey(QKeyEvent* e)
{
    // Only with Ctrl: plain Tab, Enter and the rest do nothing in the view.
    if (!(e->modifiers() & Qt::ControlModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Tab:
        FocusNextLink(!(e->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Backtab:
        FocusNextLink(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FollowFocusedLink();
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        setTextZoom(mirelda::StepTextZoom(zoom_, 1));
        return true;
    case Qt::Key_Minus:
        setTextZoom(mirelda::StepTextZoom(zoom_, -1));
        return true;
    case Qt::Key_0:
        setTextZoom(mirelda::kNormalTextZoom);
        return true;
    default:
        return false;
    }
}

void CMireldaView::wheelEvent(QWheelEvent* e)
{
    if (!(e->modifiers() & Qt::ControlModifier)) {
        wheelSteps_ = 0;
        QTextEdit::wheelEvent(e);
        return;
    }
    // One size step per notch (120 eighths of a degree), however the wheel delivers them.
    wheelSteps_ += e->angleDelta().y();
    for (; wheelSteps_ >= 120; wheelSteps_ -= 120)
        setTextZoom(mirelda::StepTextZoom(zoom_, 1));
    for (; wheelSteps_ <= -120; wheelSteps_ += 120)
        setTextZoom(mirelda::StepTextZoom(zoom_, -1));
    e->accept();
}

void CMireldaView::scrollOneLine(int step)
{
    // One text line, whatever its height: the next line (or the previous one, or the top of a
    // line shown only in part) becomes the first visible line.
    QScrollBar* v = verticalScrollBar();
    const LineRef first = LineAtY(*document(), v->value());
    if (first.line < 0)
        return;
    if (step < 0 && LineTop(first) < v->value()) {
        v->setValue(qFloor(LineTop(first)));
        return;
    }
    const LineRef target = NextLine(first, step);
    if (target.line >= 0)
        v->setValue(qCeil(LineTop(target)));
}

void CMireldaView::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
}

void CMireldaView::inputMethodEvent(QInputMethodEvent* e)
{
    e->accept();
}

bool CMireldaView::focusNextPrevChild(bool)
{
    // Tab is a key like any other here: it neither types nor moves the focus.
    return false;
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
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font()); // the view's document may be shown at another text size
    mirelda::BuildTextDocument(mirelda::ReadRtf(articleRtf_), *doc, printer.logicalDpiX());
    const QTextCursor selection = textCursor();
    if (printer.printRange() == QPrinter::Selection && selection.hasSelection()) {
        // Built from the same text, the document has the view's positions.
        QTextCursor c(doc.get());
        c.beginEditBlock();
        c.setPosition(std::min(selection.selectionEnd(), doc->characterCount() - 1));
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setPosition(0);
        c.setPosition(std::min(selection.selectionStart(), doc->characterCount() - 1),
                      QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.endEditBlock();
    }
    return doc;
}

void CMireldaView::printArticle(QPrinter* printer) const
{
    if (printer)
        printDocument(*printer)->print(printer);
}

void CMireldaView::FilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printArticle(&printer);
}

void CMireldaView::FilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    printArticle(&printer);
}

void CMireldaView::FilePrintPreview()
{
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { printArticle(printer); });
    preview.exec();
}

void CMireldaView::FilePrintBook(const std::vector<std::int32_t>& articles, const QString& documentTitle,
                                 const QString& bookTitle)
{
    QPrinter printer(QPrinter::HighResolution);
    // The print dialog makes the name of a file to print to from the printer's name.
    printer.setDocName(BookFileName(bookTitle));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    auto printed =
        PrintBook(printer, host_.articleIndex(), host_.dataFile(), articles, font(), documentTitle);
    if (!printed.ok())
        host_.ReportFileError(printed.error());
}

void CMireldaView::FilePrintBookPreview(const std::vector<std::int32_t>& articles,
                                        const QString& documentTitle, const QString& bookTitle)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(BookFileName(bookTitle));
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this, &articles, &documentTitle](QPrinter* target) {
                auto printed = PrintBook(*target, host_.articleIndex(), host_.dataFile(), articles, font(),
                                         documentTitle);
                if (!printed.ok())
                    host_.ReportFileError(printed.error());
            });
    preview.exec();
}
