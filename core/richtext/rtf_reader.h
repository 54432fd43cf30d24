#pragma once
// Reads RTF into the rich-text model, numbering characters as the rich-edit control does.
// Never fails: malformed RTF yields what could be read (unbalanced braces are closed at the
// end, truncated input ends where it ends). Input that does not begin with "{\rtf" is read as
// Windows-1252 plain text, each CR LF, CR or LF a paragraph mark.
// Time is linear in the input; the model's size is bounded by the input's (text.size() is at
// most input size + 1).

#include <string_view>

#include "core/richtext/document.h"

namespace mirelda {

RichDocument ReadRtf(std::string_view rtf);

} // namespace mirelda
