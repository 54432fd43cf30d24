#pragma once
// A copy of a built document that lays out as the original does.

#include <memory>

class QTextDocument;

namespace mirelda::ui {

// QTextDocument::clone() copies the text and its formats but not the handlers registered on
// the layout, so the drawn objects (metafiles, text boxes) would measure nothing in it. The
// copy shares the original's handlers, which it must not outlive.
std::unique_ptr<QTextDocument> CopyWithDrawnObjects(const QTextDocument& source);

} // namespace mirelda::ui
