#pragma once
// Dialog units to pixels: a horizontal unit is a quarter of a font's average letter width, a
// vertical one an eighth of its line height. Windows are laid out in these units so that
// their controls keep their proportions.

#include <QPoint>
#include <QRect>
#include <QSize>

class QFont;

namespace mirelda::ui {

class DialogUnits
{
  public:
    // The usual 8-point sans-serif font, whose base units are 6 by 13 pixels: for windows whose
    // pixel sizes must not follow the desktop's font (the docked bars, the list windows).
    DialogUnits() = default;
    // Measured on `font`: the texts then fit whatever font the desktop gives the window.
    explicit DialogUnits(const QFont& font);

    // Rounded to the nearest pixel, halves up.
    int X(int units) const;
    int Y(int units) const;
    QPoint Point(int x, int y) const { return {X(x), Y(y)}; }
    QSize Size(int w, int h) const { return {X(w), Y(h)}; }
    QRect Rect(int x, int y, int w, int h) const { return {Point(x, y), Size(w, h)}; }

  private:
    double x_ = 6.0 / 4.0;  // pixels per horizontal unit
    double y_ = 13.0 / 8.0; // pixels per vertical unit
};

} // namespace mirelda::ui
