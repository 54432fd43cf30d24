#pragma once
// The pictures of an article in a QTextDocument, one object character each.
//
// A bitmap (PNG, JPEG, DIB, device bitmap) becomes an image resource of the document; a
// metafile becomes an object that a handler registered on the document's layout draws with
// QPainter into the object's rectangle, so that it stays sharp on any screen and on paper; a
// picture that cannot be decoded is a grey crossed placeholder. Each is laid out at its goal
// size (scaled, cropped), else at its own size; a shape's picture at the shape's box.

#include "core/picture/rich_picture.h"
#include "core/richtext/document.h"

#include <QSizeF>
#include <QTextFormat>

#include <optional>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

namespace mirelda::ui {

// The object type of a drawn metafile.
inline constexpr int kMetafileObjectType = QTextFormat::UserObject + 1;

// Inserts `picture` (nullptr: a placeholder) at `cursor` with the character format `format`;
// `serial` names its image resource, unique within the document. A `box` is the size it is
// shown at instead of its own goal size (see picture::LayOutPicture).
void InsertPictureObject(QTextDocument& document, QTextCursor& cursor, const RichPicture* picture,
                         const QTextCharFormat& format, int serial,
                         const std::optional<picture::PictureBox>& box = std::nullopt);

// Whether a character format is one of the pictures inserted above.
bool IsPictureFormat(const QTextFormat& format);

// The size of a drawn object given at 96 dpi, in the units `document` is laid out in: the
// layout of a print copy runs in the printer's.
QSizeF SizeOnLayoutDevice(const QTextDocument* document, QSizeF sizeAt96Dpi);

} // namespace mirelda::ui
