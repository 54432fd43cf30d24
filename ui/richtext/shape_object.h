#pragma once
// The shapes of an article in a QTextDocument: pictures and text boxes drawn from {\shp ...},
// {\shpgrp ...} and {\*\do ...}. None of their characters stands for a model position.
//
// A floating shape is a floating frame (left or right of the text, which flows beside it) put
// at the start of its anchor paragraph, shifted by its offset from the paragraph; a shape that
// text must not flank is a frame in the flow; an inline one sits in the line. A picture is a
// picture object at the shape's size; a text box an object that draws its own document (its
// text, formatted, inside a line and a fill); a group's shapes share one frame, row by row.

#include "core/richtext/document.h"

#include <QTextFormat>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

namespace mirelda::ui {

// The object type of a drawn text box.
inline constexpr int kTextBoxObjectType = QTextFormat::UserObject + 2;

// Whether a shape anchored in a paragraph that is not a table row floats at the paragraph's
// start (else it is drawn where it is anchored).
bool ShapeFloats(const RichShape& shape);

// Inserts `shape` at `cursor`, leaving the cursor after it. `format` is the character format
// of the text around it; `serial` numbers the document's picture resources and grows.
void InsertShape(QTextDocument& document, QTextCursor& cursor, const RichShape& shape,
                 const QTextCharFormat& format, int& serial);

// Whether the document's character at `position` belongs to a drawn shape.
bool IsShapeCharacter(const QTextDocument& document, int position);

} // namespace mirelda::ui
