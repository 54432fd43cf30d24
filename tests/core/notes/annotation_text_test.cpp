#include "core/notes/annotation_text.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(AnnotationText, holdsOnlyCharactersWithAWindows1252Byte)
{
    EXPECT_TRUE(AnnotationCanHold(u"àÿŒ€\u0081?\t\r\n\u2028\u2029"));
    EXPECT_TRUE(AnnotationCanHold(u""));
    EXPECT_FALSE(AnnotationCanHold(u"ā"));
    EXPECT_FALSE(AnnotationCanHold(u"a\U0001F600"));
    EXPECT_FALSE(AnnotationCanHold(std::u16string(1, char16_t(0xD800))));
}

TEST(AnnotationText, eachCharacterWithoutAByteBecomesOneQuestionMark)
{
    EXPECT_EQ(AnnotationTextOf(u"Œuvre ā\U0001F600\u2028fin"), u"Œuvre ??\u2028fin");
    // Lone surrogates, either half, at either end.
    const std::u16string lone = {char16_t(0xDC00), u'a', char16_t(0xD800)};
    EXPECT_EQ(AnnotationTextOf(lone), u"?a?");
    EXPECT_EQ(AnnotationBytes(u"été\u2029deux\u2028trois ā"), "\xe9t\xe9\ndeux\ntrois ?");
}

} // namespace
} // namespace mirelda
