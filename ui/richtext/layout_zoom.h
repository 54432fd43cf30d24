#pragma once
// The lengths of a built document that must grow and shrink with its text for a zoomed
// article to keep its layout: paragraph indents and spacing, fixed line heights, tab stops,
// table column widths, table margins and cell padding. Frame borders stay as they are.

class QTextDocument;

namespace mirelda::ui {

// Sets every such length of `doc` to `factor` times the length it was built with. The built
// lengths are kept in the formats themselves, so that it may be called again with another
// factor; 1 restores them. Changes no text and no position.
void ScaleLayoutLengths(QTextDocument& doc, double factor);

} // namespace mirelda::ui
