#include "core/store/cp1252.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(Cp1252, everyByteSurvivesDecodeThenEncode)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string decoded = DecodeCp1252(all);
    ASSERT_EQ(decoded.size(), 256u);
    EXPECT_EQ(EncodeCp1252(decoded), all);
}

TEST(Cp1252, highBlockDecodesToItsCharacters)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC'); // €
    EXPECT_EQ(Cp1252ToUnicode(0x85), u'\u2026'); // …
    EXPECT_EQ(Cp1252ToUnicode(0x8C), u'\u0152'); // Œ
    EXPECT_EQ(Cp1252ToUnicode(0x92), u'\u2019'); // ’
    EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178'); // Ÿ
    EXPECT_EQ(Cp1252ToUnicode(0xE9), u'\u00E9'); // é
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Cp1252ToUnicode(undefined), static_cast<char16_t>(undefined));
}

TEST(Cp1252, charactersWithoutByteBecomeQuestionMark)
{
    EXPECT_EQ(EncodeCp1252(u"a\u0100b"), "a?b");                     // Ā has no byte
    EXPECT_EQ(EncodeCp1252(u"\U0001F600"), "?");                     // a pair is one character
    EXPECT_EQ(EncodeCp1252(std::u16string(1, 0xD800) + u"x"), "?x"); // lone surrogate
    EXPECT_EQ(EncodeCp1252(u"\u0080"), "?"); // C1 control that the code page replaced by €
    EXPECT_EQ(EncodeCp1252(u"\u20AC\u0153"), "\x80\x9C");
}

TEST(Cp1252, upperCaseKeepsAccents)
{
    EXPECT_EQ(UpperCp1252("abcxyz"), "ABCXYZ");
    // é ç à ÿ š œ ž þ → É Ç À Ÿ Š Œ Ž Þ
    EXPECT_EQ(UpperCp1252("\xE9\xE7\xE0\xFF\x9A\x9C\x9E\xFE"), "\xC9\xC7\xC0\x9F\x8A\x8C\x8E\xDE");
    // ß, µ, ÷ and everything already upper or not a letter stay.
    EXPECT_EQ(UpperCp1252("\xDF\xB5\xF7\xC9\x8A"
                          "AZ09@[`{"),
              "\xDF\xB5\xF7\xC9\x8A"
              "AZ09@[`{");
    EXPECT_NE(UpperCp1252("e"), UpperCp1252("\xE9")); // E never matches É
}

TEST(Cp1252, utf8RoundTripAndInvalidInput)
{
    const std::u16string text = u"Caf\u00E9 \u20AC \U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9"), "\xC3\xA9");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                     // cut sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"
                          "x"),
              u"\uFFFDx"); // one U+FFFD for the cut prefix
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xDC00)), "\xEF\xBF\xBD");
}

} // namespace
} // namespace mirelda
