#pragma once
// Reading one shape property ({\sp{\sn name}{\sv value}}) out of a group's raw RTF, lexically,
// without entering it: the reader wants a few flags of a \picprop group it otherwise skips.
// Internal to core/richtext.

#include <string_view>

namespace mirelda::rtf {

// The text of the value of the property `name`, spaces trimmed, among the properties of the
// group whose content starts at `p` (after its destination word) and ends at its closing
// brace; empty when the group has none. Steps over \binN data; reads no further than `end`.
std::string_view ShapePropertyValue(const unsigned char* p, const unsigned char* end, std::string_view name);

// A property's value read as a flag: a non-zero number.
bool ShapePropertyFlag(std::string_view value);

} // namespace mirelda::rtf
