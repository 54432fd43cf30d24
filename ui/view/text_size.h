#pragma once
// The reader's text size for articles and pop-ups: kept in the user's settings from one run
// to the next, and applied to a built document without touching its text, so that every
// position in it stays where it was.

class QTextDocument;

// The size saved by the last run, in percent (a usable step; 100 when none was saved).

namespace mirelda::ui {

int SavedTextZoom();
void SaveTextZoom(int percent);

// Scales every character size of `doc` and its default font to `percent` of the size the
// document was built with, and the lengths of its layout with them (indents, tab stops,
// table columns: see ScaleLayoutLengths). May be called again with another size; 100
// restores the built sizes.
void ApplyTextZoom(QTextDocument& doc, int percent);

} // namespace mirelda::ui
