#pragma once
// Reads RTF into the rich-text model, numbering characters as the rich-edit control does.
// Never fails: malformed RTF yields what could be read (unbalanced braces are closed at the
// end, truncated input ends where it ends). Input that does not begin with "{\rtf" is read as
// Windows-1252 plain text, each CR LF, CR or LF a paragraph mark.
// Time is linear in the input; the model's size is bounded by the input's (text.size() is at
// most input size + 1).

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/richtext/document.h"

namespace mirelda {

RichDocument ReadRtf(std::string_view rtf);

// The same, and for each position of the text the byte offset in `rtf` of what produced it
// (the character, escape or control word; the end of the input for the final paragraph mark).
// For the help-set decompiler, which puts links back around exactly their characters.
RichDocument ReadRtf(std::string_view rtf, std::vector<std::uint32_t>* positionOffsets);

} // namespace mirelda
