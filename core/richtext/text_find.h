#pragma once
// Forward find in a model's text, as the rich-edit control's find with the match-case and
// whole-word options. The one implementation behind the view, the search engine and the tool.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

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

// Every occurrence as FindText finds them one after the other, each search starting one unit
// after the last one found (so that "Next" lands on each of them): [first, end) in order, at
// most `limit` of them.
std::vector<std::pair<std::int32_t, std::int32_t>> FindAllText(std::u16string_view text,
                                                               std::u16string_view what, bool matchCase,
                                                               bool wholeWord, std::size_t limit);

} // namespace mirelda
