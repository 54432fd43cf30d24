#pragma once
// Names derived from the help-set path: the single-instance key and the caption prefix.

#include <string>
#include <string_view>

namespace mirelda {

// Ten characters: the last ten ASCII letters of `name`, padded on the left with "A".
// Letters keep the case they have; callers pass the upper-cased help-set path.
std::string BuildClassName(std::string_view name);

// The caption prefix of windows and message boxes, chosen by substrings of the upper-cased
// path (directories included).
std::string HelpTitle(std::string_view helpSetBase);

// ASCII upper-casing; bytes above 127 are left alone so that UTF-8 paths stay intact.
std::string UpperAscii(std::string_view text);

} // namespace mirelda
