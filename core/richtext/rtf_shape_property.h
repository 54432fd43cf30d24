#pragma once
// Reading one shape property ({\sp{\sn name}{\sv value}}) out of a group's raw RTF, lexically,
// without entering it: the reader wants a few flags of a \picprop group it otherwise skips.
// Internal to core/richtext.

#include <span>
#include <string_view>

namespace mirelda::rtf {

// The texts of the values of the properties `names` (values[i] that of names[i]), spaces
// trimmed, among the properties of the group whose content starts at `p` (after its
// destination word) and ends at its closing brace, read in one pass; empty for a property the
// group does not have. Steps over \binN data; reads no further than `end`.
void ShapePropertyValues(const unsigned char* p, const unsigned char* end,
                         std::span<const std::string_view> names, std::span<std::string_view> values);

// A property's value read as a flag: a non-zero number.
bool ShapePropertyFlag(std::string_view value);

} // namespace mirelda::rtf
