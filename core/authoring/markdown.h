#pragma once
// Markdown articles: an article may be written as articles/<name>.md (CommonMark with tables)
// instead of RTF. It is turned into the RTF a word processor would write for it, so that the
// reader, the numbering and the compiler's checks are the same as for an RTF article.

#include "core/authoring/help_compiler.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mirelda::authoring {

// Reads an image named in the article (a file beside it); nothing when it cannot be read.
using ImageLoader = std::function<std::optional<std::string>(const std::string& name)>;

// The article as RTF. Links become HYPERLINK fields on exactly their text; what cannot be
// expressed (an outside address, raw HTML, an unreadable image) is reported in `diags` as
// "file:line: message".
std::string MarkdownToRtf(std::string_view markdown, const std::string& file, const ImageLoader& loadImage,
                          Diagnostics& diags);

} // namespace mirelda::authoring
