#pragma once
// The thin strip along one edge of a docked bar with which the user resizes the bar.
//
// A vertical strip (along the tree bar's right edge) is dragged sideways; its value is the
// bar's width as a fraction of the frame's client width. A horizontal strip (along the
// annotation bar's top edge) is dragged up and down; its value is the bar's height in pixels.
// While the button is held a dotted outline follows the mouse, clamped to the drag limits;
// nothing is resized until the release. Then the strip stores the new value, asks its bar
// to apply it and asks the frame to lay itself out again: the bars are resized once. A drag
// that loses the mouse before the release (a message box opens, the window is hidden or
// deactivated) is cancelled: the outline goes and the value stays.
//
// Using it from a bar (the tree bar and the annotation bar both do this):
//   1. implement SplitterStripHost (CDlgBar already does, except ApplyStripValue);
//   2. strip = CSplitterStrip::Create(barClient, host, 104, orientation, initialValue);
//   3. call strip->Reposition() from the bar's client-area resize handler;
//   4. read strip->value() in ApplyWidth / ApplyHeight (and write it with setValue() when
//      the bar's height changes for another reason, as the annotation bar does).

#include "core/view/bar_geometry.h"

#include <QPointer>
#include <QWidget>

class QRubberBand;

// What a strip asks of the bar that carries it and of the frame around that bar.

namespace mirelda::ui {

class SplitterStripHost
{
  public:
    virtual ~SplitterStripHost() = default;
    // The bar's own window rectangle, in screen coordinates: the outline spans it.
    virtual QRect StripBarWindowOnScreen() const = 0;
    // Screen limits of the outline: the frame's client area one pixel in sideways, and the
    // tree bar's top to the annotation bar's bottom, one pixel in, up and down.
    virtual mirelda::StripDragLimits StripLimits() const = 0;
    // The drag ended with a new value: the tree bar's ApplyWidth, the annotation bar's
    // ApplyHeight.
    virtual void ApplyStripValue() = 0;
    // Then the frame lays the article view and both bars out again.
    virtual void RecalcFrameLayout() = 0;
    // The widget over which the outline is drawn (the frame).
    virtual QWidget* StripOutlineSurface() const = 0;
};

class CSplitterStrip : public QWidget
{
    Q_OBJECT
  public:
    // A visible child of `parent` (the bar's client area) with the given id, placed at
    // (0, 0, 2, 2) until Reposition(). Null when there is no parent to carry it: the caller
    // reports that.
    static CSplitterStrip* Create(QWidget* parent, SplitterStripHost* host, int id,
                                  mirelda::StripOrientation orientation, float value);

    // Along the parent's right edge (vertical) or top edge (horizontal).
    void Reposition();

    int id() const { return id_; }
    mirelda::StripOrientation orientation() const { return orientation_; }
    float value() const { return value_; }
    void setValue(float value) { value_ = value; }

    bool tracking() const { return tracking_; }
    // The outline now drawn (screen coordinates); empty when not tracking.
    QRect outlineOnScreen() const;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    CSplitterStrip(QWidget* parent, SplitterStripHost* host, int id, mirelda::StripOrientation orientation,
                   float value);
    void DrawTracker(QPoint globalPoint);
    void EndTracking();
    // The drag lost the mouse (a box opened, the window went away...): the outline goes and
    // nothing is resized.
    void CancelTracking();

    SplitterStripHost* host_;
    int id_;
    mirelda::StripOrientation orientation_;
    float value_;
    bool tracking_ = false;
    mirelda::StripDragLimits limits_;
    mirelda::PixelRect barWindow_;
    QPoint last_; // global position where the outline was last drawn
    QPointer<QRubberBand> outline_;
};

} // namespace mirelda::ui
