#pragma once
// How tall Qt draws a line of a font, and how tall the font means its lines to be.
//
// Qt takes a font's ascent and descent from the Windows metrics of its OS/2 table and adds the
// hhea line gap as leading. Fonts made for Word (Calibri and its metric twin Carlito, Cambria...)
// already hold the line gap inside their Windows metrics: Qt counts it twice, and their lines
// come out about a fifth taller than Word and LibreOffice draw them. Those take the hhea
// ascender, descender and line gap (the OS/2 typographic ones when the font asks for them).

class QFont;

namespace mirelda::ui {

struct FontLineHeight
{
    double drawn = 0;    // pixels: what Qt's text layout gives a line of this font alone
    double intended = 0; // pixels: what the font's own metrics mean; `drawn` when unreadable
};

FontLineHeight LineHeightOf(const QFont& font);

} // namespace mirelda::ui
