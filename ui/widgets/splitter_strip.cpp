#include "ui/widgets/splitter_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace mirelda::ui {

using mirelda::PixelPoint;
using mirelda::PixelRect;
using mirelda::StripOrientation;

namespace {

PixelRect ToPixelRect(const QRect& r)
{
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}
QRect ToQRect(const PixelRect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

} // namespace

CSplitterStrip* CSplitterStrip::Create(QWidget* parent, SplitterStripHost* host, int id,
                                       StripOrientation orientation, float value)
{
    if (!parent || !host)
        return nullptr;
    return new CSplitterStrip(parent, host, id, orientation, value);
}

CSplitterStrip::CSplitterStrip(QWidget* parent, SplitterStripHost* host, int id, StripOrientation orientation,
                               float value)
    : QWidget(parent), host_(host), id_(id), orientation_(orientation), value_(value)
{
    setObjectName(QStringLiteral("splitterStrip"));
    setGeometry(0, 0, 2, 2);
    // The cursor is the strip's own and does not change while the mouse is over it.
    setCursor(orientation == StripOrientation::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    show();
}

void CSplitterStrip::Reposition()
{
    const QWidget* bar = parentWidget();
    const PixelRect r = mirelda::SplitterStripRect(orientation_, {bar->width(), bar->height()});
    setGeometry(ToQRect(r));
    raise(); // over the bar's control, which may reach under the strip while it is narrow
}

void CSplitterStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(Qt::white);
    painter.drawLine(1, 0, 1, height());
}

QRect CSplitterStrip::outlineOnScreen() const
{
    if (!tracking_)
        return {};
    return ToQRect(mirelda::StripOutlineRect(orientation_, {last_.x(), last_.y()}, limits_, barWindow_));
}

void CSplitterStrip::DrawTracker(QPoint globalPoint)
{
    last_ = globalPoint;
    QWidget* surface = host_->StripOutlineSurface();
    if (!surface)
        return;
    if (!outline_) {
        outline_ = new QRubberBand(QRubberBand::Line, surface);
        outline_->setObjectName(QStringLiteral("stripOutline"));
        outline_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const QRect onScreen = outlineOnScreen();
    outline_->setGeometry(QRect(surface->mapFromGlobal(onScreen.topLeft()), onScreen.size()));
    outline_->raise();
    outline_->show();
}

void CSplitterStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    barWindow_ = ToPixelRect(host_->StripBarWindowOnScreen());
    limits_ = host_->StripLimits();
    tracking_ = true;
    window()->installEventFilter(this);
    DrawTracker(event->globalPosition().toPoint());
    // The press grabs the mouse implicitly: moves and the release come here wherever the
    // mouse goes.
    event->accept();
}

void CSplitterStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!tracking_)
        return;
    if (!(event->buttons() & Qt::LeftButton)) {
        CancelTracking(); // the release went elsewhere
        return;
    }
    const QPoint p = event->globalPosition().toPoint();
    // A move across the drag axis only leaves the outline where it is.
    const bool along = orientation_ == StripOrientation::Vertical ? p.x() != last_.x() : p.y() != last_.y();
    if (along)
        DrawTracker(p);
}

void CSplitterStrip::EndTracking()
{
    tracking_ = false;
    window()->removeEventFilter(this);
    if (outline_)
        outline_->hide();
}

void CSplitterStrip::CancelTracking()
{
    if (tracking_)
        EndTracking();
}

bool CSplitterStrip::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse)
        CancelTracking();
    return QWidget::event(event);
}

bool CSplitterStrip::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        CancelTracking();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CSplitterStrip::hideEvent(QHideEvent* event)
{
    CancelTracking();
    QWidget::hideEvent(event);
}

void CSplitterStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (!tracking_ || event->button() != Qt::LeftButton)
        return;
    EndTracking();
    const QPoint p = event->globalPosition().toPoint();
    const std::optional<float> v =
        mirelda::StripValueOnRelease(orientation_, PixelPoint{p.x(), p.y()}, limits_);
    if (!v)
        return; // an empty drag range leaves the value as it was
    value_ = *v;
    host_->ApplyStripValue();
    host_->RecalcFrameLayout();
}

} // namespace mirelda::ui
