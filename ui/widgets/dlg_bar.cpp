#include "ui/widgets/dlg_bar.h"

#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QResizeEvent>

namespace mirelda::ui {

namespace {

// Takes the dock widget's title bar's place, and no room.
class NoTitleBar : public QWidget
{
  public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return QSize(0, 0); }
    QSize minimumSizeHint() const override { return QSize(0, 0); }
};

// The surface of the bar's controls; it asks the frame's layout for the bar's docked size.
class BarClient : public QWidget
{
  public:
    explicit BarClient(CDlgBar* bar) : QWidget(bar), bar_(bar) {}
    QSize sizeHint() const override { return bar_->dockedSize(); }

  private:
    CDlgBar* bar_;
};

} // namespace

CDlgBar::CDlgBar(QWidget* parent) : QDockWidget(parent)
{
    // Never dragged off its side, floated or closed by the user; no title bar at all.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setTitleBarWidget(new NoTitleBar(this));
}

CDlgBar::~CDlgBar() = default;

bool CDlgBar::Create(QMainWindow* frame, Qt::DockWidgetArea area, QSize clientSize)
{
    if (!frame)
        return false;
    frame_ = frame;
    area_ = area;
    if (parentWidget() != frame)
        setParent(frame);
    client_ = new BarClient(this);
    client_->setObjectName(objectName() + QStringLiteral("Client")); // "treeBarClient"
    client_->resize(clientSize);
    client_->installEventFilter(this);
    setWidget(client_);
    docked_ = clientSize;
    return true;
}

void CDlgBar::SetDockedSize(QSize size)
{
    docked_ = size;
    // The dimension along the dock side is the frame's to choose; the one across is the bar's.
    if (area_ == Qt::TopDockWidgetArea || area_ == Qt::BottomDockWidgetArea) {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setFixedHeight(size.height());
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setFixedWidth(size.width());
    }
}

QRect CDlgBar::StripBarWindowOnScreen() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size());
}

mirelda::StripDragLimits CDlgBar::StripLimits() const
{
    if (!frame_)
        return {};
    const QPoint origin = frame_->mapToGlobal(QPoint(0, 0));
    const mirelda::PixelRect client{origin.x(), origin.y(), origin.x() + frame_->width(),
                                    origin.y() + frame_->height()};
    int top = client.top;
    int bottom = client.bottom;
    for (CDlgBar* bar : frame_->findChildren<CDlgBar*>(Qt::FindDirectChildrenOnly)) {
        if (!bar->isVisible() || bar->isFloating())
            continue;
        const QRect r = bar->StripBarWindowOnScreen();
        const Qt::DockWidgetArea side = frame_->dockWidgetArea(bar);
        if (side == Qt::LeftDockWidgetArea)
            top = r.y();
        else if (side == Qt::BottomDockWidgetArea)
            bottom = r.y() + r.height();
    }
    return mirelda::StripDragLimitsFor(client, top, bottom);
}

void CDlgBar::RecalcFrameLayout()
{
    if (recalcLayout_)
        recalcLayout_();
    else if (frame_ && frame_->layout())
        frame_->layout()->activate();
}

QWidget* CDlgBar::StripOutlineSurface() const
{
    return frame_;
}

bool CDlgBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == client_ && event->type() == QEvent::Resize && !isFloating())
        ClientResized(static_cast<QResizeEvent*>(event)->size());
    return QDockWidget::eventFilter(watched, event);
}

// Clicks on the bar's own area are not passed on, so that nothing starts a drag of the bar.
void CDlgBar::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
void CDlgBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

} // namespace mirelda::ui
