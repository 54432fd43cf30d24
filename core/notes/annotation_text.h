#pragma once
// What an annotation's text may hold. Annotations are stored as Windows-1252 bytes, so the
// editor keeps only characters that have a byte there: what the user sees is exactly what is
// saved and read back. The editor's own line and paragraph separators (U+2028, U+2029) stand
// for line feeds.

#include <string>
#include <string_view>

namespace mirelda {

// Whether every character of `text` has a Windows-1252 byte. A surrogate (half of a character
// beyond the basic plane) never has one.
bool AnnotationCanHold(std::u16string_view text);

// `text` with every character that has no Windows-1252 byte replaced by "?" (one for a
// surrogate pair, which is one character).
std::u16string AnnotationTextOf(std::u16string_view text);

// The editor's text as stored: Windows-1252 bytes, lines separated by LF.
std::string AnnotationBytes(std::u16string_view editorText);

} // namespace mirelda
