#pragma once
// The small window in which a pop-up article (a glossary entry, a short note) opens next to
// the link that was clicked. It is sized to its text, placed beside the click point on the
// screen that holds it, stays above the main window without taking its active look, and
// goes away at the first left click on it, key press, or loss of the focus.
//
// Each pop-up is made for one article and deletes itself when it closes; nothing keeps a
// pointer to it.

#include "core/view/text_zoom.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QWidget>

#include <string>
#include <string_view>

class QTextEdit;

namespace mirelda::ui {

class CPopupWnd : public QWidget
{
    Q_OBJECT
  public:
    // Opens a pop-up for an article: `titleCp1252` as stored (its caption drops "#POPUP:"),
    // `rtf` its text, `clickScreen` the last link click point. The mouse cursor is hidden
    // while the window is made. `owner` is the main window, `textZoom` the text size it shows
    // (percent). Returns the pop-up, which belongs to itself.
    static CPopupWnd* ShowPopup(std::string_view titleCp1252, std::string_view rtf, QPoint clickScreen,
                                QWidget* owner = nullptr, int textZoom = mirelda::kNormalTextZoom);

    explicit CPopupWnd(QWidget* owner = nullptr);
    ~CPopupWnd() override;

    // Sets the caption and the text, at `textZoom` percent; the window is still hidden.
    bool CreatePopup(std::string_view titleCp1252, std::string_view rtf, QPoint clickScreen,
                     int textZoom = mirelda::kNormalTextZoom);
    // Sizes the window to its text: widths tried from the screen's width down by 25 until
    // the text is a third as high as it is wide.
    void FitToText();
    // Moves the window below, left of, right of or above the click point, whichever first
    // takes it whole; centred on the screen otherwise.
    void PlaceNearPoint();
    // Closes the window, which then deletes itself.
    void ClosePopup();

    QTextEdit* textControl() const { return text_; }
    // The available area of the screen that holds the click point.
    QRect screenArea() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The press that ends a double click on the link that opened the pop-up: close to the
    // link and soon after it. It must not close what the first click opened.
    bool EndsOpeningDoubleClick(const QMouseEvent& event) const;
    bool ClosesOnPress(const QMouseEvent& event) const;

    QTextEdit* text_ = nullptr;
    QPoint click_;
    bool closing_ = false;
    QElapsedTimer opened_;
};

} // namespace mirelda::ui
