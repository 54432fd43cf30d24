#pragma once
// Bounds the height an article can ask of the view. Qt's text layout stalls for good once a
// document passes about 8.4 million pixels (its fixed-point page height): a few kilobytes of
// huge paragraph spacing, huge fonts or tall pictures would freeze the view. The lengths an
// article adds beyond ordinary text are summed in reading order; past the budget the rest of
// the article is shown plainly: no paragraph spacing or line spacing, text at most 24 pt,
// automatic row heights, pictures one line tall. The text and its numbering never change. A
// text box, laid out as a document of its own, is bounded as one.
#include "core/richtext/document.h"

namespace mirelda {

// Pixels (at 96 per inch, laid out 600 px wide) an article may add beyond ordinary text: about
// a thousand screens, with room left for the view's 300 % text size and the lengths not counted
// (shapes, the ordinary text itself).
inline constexpr double kArticleHeightBudget = 1'000'000.0;
inline constexpr std::int32_t kPlainHalfPoints = 48; // the largest text past the budget

// The first position shown plainly, or text.size() when the article keeps within the budget.
std::int32_t FirstPositionOverHeightBudget(const RichDocument& doc);

// Applies the bound from that position; returns it.
std::int32_t BoundArticleHeight(RichDocument& doc);

} // namespace mirelda
