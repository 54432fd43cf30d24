#pragma once
// Builds a QTextDocument from the rich-text model.
//
// Numbering: the document holds the model's shown characters in the model's order, one
// document position for each: a paragraph mark is a block separator, a line break U+2028 (but
// a table cell's paragraph break is a block separator), a tab a tab, a picture one object
// character. Hidden text is left out; the returned map
// translates positions both ways. The final paragraph mark is the document's last block
// separator. A word too long for the layout gets document-only break opportunities
// (long_words.h).
//
// Qt lays out each tab of a block by going over the block's earlier ones: a block of thousands
// of tabs costs seconds. Past kMaxTabsPerBlock tabs in one block, a tab is shown as a space
// (the model, its numbering and the copied text keep the tab).

#include "core/richtext/document.h"
#include "core/view/position_map.h"

#include <QChar>

class QTextDocument;

namespace mirelda::ui {

inline constexpr int kMaxTabsPerBlock = 512;

// Fills `target`, which must be empty (a new document). Edits run in one block, without undo.
//
// Lengths are in pixels at 96 per inch. A layout on another device (a printer) scales
// vertical spacing, line heights, tab stops and pictures to that device itself, but not
// horizontal margins and first-line indents: for such a document pass the device's
// horizontal logical resolution as `deviceDpiX`.
PositionMap BuildTextDocument(const RichDocument& model, QTextDocument& target, double deviceDpiX = 96.0);

// The character the document holds for a shown model character.
QChar DocumentCharacter(char16_t modelCharacter);

} // namespace mirelda::ui
