#pragma once
// The resizable dialog-bar base shared by the tree bar (docked left) and the annotation bar
// (docked at the bottom).
//
// The bar is a dock widget that the user never drags, floats or closes: no features, an empty
// title bar, clicks on its own area swallowed. Its size is driven by the bar itself: the
// derived bar computes a docked size (ApplyWidth / ApplyHeight) and stores it with
// SetDockedSize, which fixes the dimension across the dock (the width of a left bar, the
// height of a bottom bar); the frame's layout gives it the other one.
//
// A derived bar:
//   - calls Create(frame, area, clientSize) from its own Create;
//   - puts its controls into client() and lays them out in ClientResized();
//   - implements ApplyStripValue() (SplitterStripHost) if it carries a strip;
//   - is docked by the frame (addDockWidget on its one allowed side).
// The frame may give SetFrameLayout() the operation that lays it out again after a strip
// drag; by default the frame's layout is activated.

#include "ui/widgets/splitter_strip.h"

#include <QDockWidget>
#include <QSize>

#include <functional>

class QMainWindow;

namespace mirelda::ui {

class CDlgBar : public QDockWidget, public SplitterStripHost
{
    Q_OBJECT
  public:
    explicit CDlgBar(QWidget* parent = nullptr);
    ~CDlgBar() override;

    // Makes the bar's client area, the surface its controls are placed on, of `clientSize`
    // pixels, and takes that as the docked size. False, doing nothing, without a frame.
    // `area` is the one side the bar docks on.
    bool Create(QMainWindow* frame, Qt::DockWidgetArea area, QSize clientSize);

    QMainWindow* frame() const { return frame_; }
    QWidget* client() const { return client_; }
    Qt::DockWidgetArea area() const { return area_; }

    QSize dockedSize() const { return docked_; }

    // Stores the docked size and fixes the bar's dimension across its dock side to it; the
    // frame's layout then resizes the bar.
    void SetDockedSize(QSize size);

    void SetFrameLayout(std::function<void()> recalcLayout) { recalcLayout_ = std::move(recalcLayout); }

    // SplitterStripHost: the bar's window, and limits taken from the frame's client area and
    // the bars docked on it (the left bar's top, the bottom bar's bottom; the frame's client
    // edges when a bar is not there).
    QRect StripBarWindowOnScreen() const override;
    mirelda::StripDragLimits StripLimits() const override;
    void RecalcFrameLayout() override;
    QWidget* StripOutlineSurface() const override;

  protected:
    // The client area changed size while docked: lay the controls out.
    virtual void ClientResized(QSize size) { Q_UNUSED(size); }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QMainWindow* frame_ = nullptr;
    QWidget* client_ = nullptr;
    Qt::DockWidgetArea area_ = Qt::LeftDockWidgetArea;
    QSize docked_;
    std::function<void()> recalcLayout_;
};

} // namespace mirelda::ui
