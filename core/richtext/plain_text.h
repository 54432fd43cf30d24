#pragma once
// The text of an RTF document without building its formatting: exactly ReadRtf(rtf).text,
// position for position (the same parser core runs both), only faster.

#include <string>
#include <string_view>

namespace mirelda {

std::u16string ExtractPlainText(std::string_view rtf);

} // namespace mirelda
