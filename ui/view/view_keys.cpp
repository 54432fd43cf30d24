// CMireldaView: the keys and the wheel (scrolling, the text size, the link keys).
#include "ui/view/mirelda_view.h"

#include "core/view/text_zoom.h"
#include "ui/view/text_lines.h"
#include "ui/view/view_host.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

namespace mirelda::ui {

namespace {

using mirelda::ui::LineAtY;
using mirelda::ui::LineRef;
using mirelda::ui::LineTop;
using mirelda::ui::NextLine;

} // namespace

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

} // namespace mirelda::ui
