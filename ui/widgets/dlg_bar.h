#pragma once
// The resizable dialog-bar base shared by the tree bar (docked left) and the annotation bar
// (docked at the bottom).
//
// The bar is a dock widget that the user never drags, floats or closes: no features, an empty
// title bar, clicks on its own area swallowed. Its size is driven by the bar itself: the
// derived bar computes a docked size (ApplyWidth / ApplyHeight), stores it with
// SetDockedSize, and the dynamic-layout answer for its dock side fixes the dimension across
// the dock (the width of a left bar, the height of a bottom bar); the frame's layout gives
// it the other one.
//
// A derived bar:
//   - calls Create(frame, area, templateSize, controlId, resizable) from its own Create;
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

class CDlgBar : public QDockWidget, public SplitterStripHost
{
    Q_OBJECT
  public:
    // The framework's layout-mode flags of the dynamic-layout query.
    enum LayoutMode : unsigned {
        LM_STRETCH = 1,
        LM_HORZ = 2,
        LM_MRUWIDTH = 4,
        LM_HORZDOCK = 8,
        LM_VERTDOCK = 16,
        LM_LENGTHY = 32,
    };
    static constexpr int kStretched = 32767;

    explicit CDlgBar(QWidget* parent = nullptr);
    ~CDlgBar() override;

    // Makes the bar's client area (the dialog template's surface) of `templateSize` pixels,
    // and sets both the docked and the floating size to it. False, doing nothing, without a
    // frame. `area` is the one side the bar docks on.
    bool Create(QMainWindow* frame, Qt::DockWidgetArea area, QSize templateSize, int controlId,
                bool resizable);

    QMainWindow* frame() const { return frame_; }
    QWidget* client() const { return client_; }
    Qt::DockWidgetArea area() const { return area_; }
    int controlId() const { return controlId_; }

    QSize dockedSize() const { return docked_; }
    QSize floatingSize() const { return floating_; }
    bool resizable() const { return resizable_; }

    // The dynamic-layout answer for `length` and `mode` (LayoutMode bits). Floating answers
    // also update the floating size, and the docked size when the bar is resizable.
    QSize CalcDynamicLayout(int length, unsigned mode);

    // Stores the docked size and fixes the bar's dimension across its dock side from the
    // docked layout answer; the frame's layout then resizes the bar.
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
    int controlId_ = 0;
    QSize docked_;
    QSize floating_;
    bool resizable_ = false;
    std::function<void()> recalcLayout_;
};
