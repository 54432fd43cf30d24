#pragma once
// The text of an RTF document without building its formatting: exactly ReadRtf(rtf).text,
// position for position (the same parser core runs both), only faster.

#include <string>
#include <string_view>

namespace mirelda {

std::u16string ExtractPlainText(std::string_view rtf);

// The same text as lines: each paragraph mark becomes a line feed, the last one left out, so
// that character k is still position k and the text ends where the document does.
std::u16string ExtractPlainTextLines(std::string_view rtf);

} // namespace mirelda
