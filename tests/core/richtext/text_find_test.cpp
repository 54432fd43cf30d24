// Forward find with the match-case and whole-word options.

#include <gtest/gtest.h>

#include "core/richtext/text_find.h"

namespace mirelda {
namespace {

std::int32_t Find(std::u16string_view text, std::u16string_view what, std::int32_t from = 0,
                  bool matchCase = false, bool wholeWord = false)
{
    return FindText(text, what, from, matchCase, wholeWord);
}

TEST(TextFind, forwardFromPosition_withoutWrapping)
{
    const std::u16string text = u"un mot, deux mots";
    EXPECT_EQ(Find(text, u"mot"), 3);
    EXPECT_EQ(Find(text, u"mot", 3), 3);
    EXPECT_EQ(Find(text, u"mot", 4), 13);
    EXPECT_EQ(Find(text, u"mot", 14), -1); // no wrap to the first one
    EXPECT_EQ(Find(text, u"mot", -5), 3);
    EXPECT_EQ(Find(text, u"mots", 13), 13);
    EXPECT_EQ(Find(text, u"s", static_cast<std::int32_t>(text.size())), -1);
    EXPECT_EQ(Find(text, u"s", 1000), -1);
    EXPECT_EQ(Find(text, u""), -1);
    EXPECT_EQ(Find(u"ab", u"abc"), -1);
    EXPECT_EQ(Find(u"", u"a"), -1);
}

TEST(TextFind, ignoringCase_keepsAccents)
{
    const std::u16string text = u"école École ECOLE Ecole ecole";
    EXPECT_EQ(Find(text, u"ecole"), 12);
    EXPECT_EQ(Find(text, u"ecole", 13), 18);
    EXPECT_EQ(Find(text, u"ÉCOLE"), 0);
    EXPECT_EQ(Find(text, u"école", 1), 6);
    EXPECT_EQ(Find(text, u"Ecole", 0, true), 18);
    EXPECT_EQ(Find(text, u"ecole", 0, true), 24);
    EXPECT_EQ(Find(u"ÉTÉ", u"été"), 0);
    EXPECT_EQ(Find(u"ÉTÉ", u"été", 0, true), -1);
    // Each unit by its simple upper-case mapping: no folding of ß to SS, and long s is S.
    EXPECT_EQ(Find(u"STRASSE", u"straße"), -1);
    EXPECT_EQ(Find(u"Maſse", u"MASSE"), 0);
    EXPECT_EQ(Find(u"ΣΟΦΊΑ", u"σοφία"), 0);
    EXPECT_EQ(Find(u"x\U0001F600y", u"\U0001F600Y"), 1);
}

TEST(TextFind, wholeWord_needsNoLetterOrDigitAround)
{
    EXPECT_EQ(Find(u"motif mot mots", u"mot", 0, false, true), 6);
    EXPECT_EQ(Find(u"mot", u"mot", 0, false, true), 0);     // text ends are boundaries
    EXPECT_EQ(Find(u"x_mot_y", u"mot", 0, false, true), 2); // underscore is a boundary
    EXPECT_EQ(Find(u"(mot).", u"MOT", 0, false, true), 1);
    EXPECT_EQ(Find(u"mot2 2mot", u"mot", 0, false, true), -1); // digits are word characters
    EXPECT_EQ(Find(u"émot motà mot", u"mot", 0, false, true), 10);
    EXPECT_EQ(Find(u"a\rmot\vb", u"mot", 0, false, true), 2);
    EXPECT_EQ(Find(u"mot mot", u"mot", 1, true, true), 4);
}

TEST(TextFind, runsAcrossParagraphMarksAndBreaks)
{
    EXPECT_EQ(Find(u"la fin\rdu début", u"fin\rdu"), 3);
    EXPECT_EQ(Find(u"a\tb", u"A\tB"), 0);
}

TEST(TextFind, findAll_overlappingOccurrencesInOrderUpToTheLimit)
{
    using Hits = std::vector<std::pair<std::int32_t, std::int32_t>>;
    EXPECT_EQ(FindAllText(u"aaaa", u"aa", false, false, 100), (Hits{{0, 2}, {1, 3}, {2, 4}}));
    EXPECT_EQ(FindAllText(u"Mot mot MOTS", u"mot", false, true, 100), (Hits{{0, 3}, {4, 7}}));
    EXPECT_EQ(FindAllText(u"Mot mot MOTS", u"mot", true, false, 100), (Hits{{4, 7}}));
    EXPECT_EQ(FindAllText(u"a a a a", u"a", false, false, 2), (Hits{{0, 1}, {2, 3}}));
    EXPECT_TRUE(FindAllText(u"abc", u"", false, false, 100).empty());
    EXPECT_TRUE(FindAllText(u"abc", u"x", false, false, 100).empty());
}

} // namespace
} // namespace mirelda
