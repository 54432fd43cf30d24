#pragma once
// Forward find in a model's text, as the rich-edit control's find with the match-case and
// whole-word options. The one implementation behind the view, the search engine and the tool.

#include <cstdint>
#include <string_view>

namespace mirelda {

// The position of the first unit of the first occurrence of `what` that starts at `from` or
// later, or -1. No wrap-around; an empty `what`, or `from` outside [0, text.size()], finds
// nothing (a negative `from` counts as 0).
// Without matchCase each UTF-16 unit is compared by its simple upper-case mapping: accents
// count (e ≠ é) but case does not (é = É); no normalisation.
// With wholeWord an occurrence counts only when neither the unit before it nor the unit after
// it is a letter or digit; the ends of the text are boundaries, so are punctuation and '_'.
// Paragraph marks and hidden text are ordinary units: an occurrence may span them.
std::int32_t FindText(std::u16string_view text, std::u16string_view what, std::int32_t from, bool matchCase,
                      bool wholeWord);

} // namespace mirelda
