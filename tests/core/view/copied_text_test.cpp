#include "core/view/copied_text.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(CopiedText, leavesHiddenTextOutAndEndsLinesAsPlainText)
{
    // "ab[cd]e\u00A0f\vg\th\r" with [2, 4) hidden; the final mark is never copied.
    const std::u16string text = u"abcde\u00A0f\vg\th\r";
    const std::vector<TextSpan> hidden = {{2, 2}};
    EXPECT_EQ(CopiedText(text, hidden, 0, static_cast<std::int32_t>(text.size())), u"abe f\ng\th");
    EXPECT_EQ(CopiedText(text, hidden, 3, 6), u"e ");
    EXPECT_EQ(CopiedText(u"un\rdeux\r", {}, 0, 8), u"un\ndeux");
}

TEST(CopiedText, rangeOutsideTheTextCopiesWhatLiesInside)
{
    const std::u16string text = u"abc\r";
    EXPECT_EQ(CopiedText(text, {}, -5, 2), u"ab");
    EXPECT_EQ(CopiedText(text, {}, 2, 1), u"");
    EXPECT_EQ(CopiedText(text, {}, 4, 4), u"");  // at the very end
    EXPECT_EQ(CopiedText(text, {}, 9, 12), u""); // past it
    EXPECT_EQ(CopiedText(u"", {}, 0, 3), u"");
    EXPECT_EQ(CopiedText(text, {{0, 100}}, 0, 4), u"");
}

} // namespace
} // namespace mirelda
