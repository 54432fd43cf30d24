// Links put back into RTF: each field encloses exactly the characters of its range, whatever
// groups, escapes and hidden text lie there, and removing the fields again changes no character.

#include "core/authoring/decompiler.h"
#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"

#include <gtest/gtest.h>

namespace mirelda::authoring {
namespace {

struct Case
{
    const char* name;
    std::string rtf;
    std::vector<PlacedLink> links;
    std::vector<std::pair<std::int32_t, std::int32_t>> placed; // the ranges expected back
    std::size_t warnings = 0;
};

const Case kCases[] = {
    {"wholeGroup", "{\\rtf1 x{\\i yz}w\\par}", {{1, 2, "a"}}, {{1, 2}}},
    {"intoAGroup", "{\\rtf1 A{\\b BC}D\\par}", {{0, 1, "a"}}, {{0, 1}}},
    {"acrossGroups", "{\\rtf1 A{\\b BC}{\\i\\ul DE}F\\par}", {{2, 3, "a"}}, {{2, 3}}},
    {"outOfAGroup", "{\\rtf1 A{\\b BC}D\\par}", {{2, 3, "a"}}, {{2, 3}}},
    {"escapes",
     "{\\rtf1\\uc1 caf\\'e9 \\u9731?x {\\u-10179?\\u-8704?}\\par}",
     {{3, 5, "a"}, {7, 8, "b"}},
     {{3, 5}, {7, 8}}},
    {"hiddenText", "{\\rtf1 a{\\v cach\\'e9}b c\\par}", {{0, 6, "a"}}, {{0, 6}}},
    {"stateAfterTheLink", "{\\rtf1 A\\b B C\\par}", {{0, 1, "a"}}, {{0, 1}}},
    {"overlapping", "{\\rtf1 abcdef\\par}", {{0, 2, "a"}, {2, 4, "b"}}, {{0, 2}}, 1},
    {"acrossAParagraph", "{\\rtf1 ab\\par cd\\par}", {{1, 3, "a"}}, {{1, 1}}, 1},
    {"twoInOneGroup", "{\\rtf1 {\\b ab cd}\\par}", {{0, 1, "a"}, {3, 4, "b"}}, {{0, 1}, {3, 4}}},
};

class LinkPlacement : public ::testing::TestWithParam<Case>
{
};

TEST_P(LinkPlacement, fieldsCoverExactlyTheirCharacters)
{
    const Case& c = GetParam();
    Diagnostics warnings;
    const std::string out = PutBackLinks(c.rtf, c.links, "A.PGD", "article 1", warnings);
    EXPECT_EQ(warnings.size(), c.warnings) << out;

    const RichDocument before = ReadRtf(c.rtf);
    const RichDocument after = ReadRtf(out);
    ASSERT_EQ(after.text, before.text) << out;
    ASSERT_EQ(after.hyperlinks.size(), c.placed.size()) << out;
    for (std::size_t k = 0; k < c.placed.size(); ++k) {
        EXPECT_EQ(after.hyperlinks[k].first, c.placed[k].first) << out;
        EXPECT_EQ(after.hyperlinks[k].last, c.placed[k].second) << out;
        for (std::int32_t p = after.hyperlinks[k].first; p <= after.hyperlinks[k].last; ++p)
            EXPECT_EQ(RunAt(after, p)->format, RunAt(before, p)->format) << out << " at " << p;
    }
    // What the compiler stores: the same characters with the same look.
    Diagnostics errors;
    const std::string stored = StripLinkFields(out, "a.rtf", errors).rtf;
    EXPECT_TRUE(errors.empty());
    const RichDocument rebuilt = ReadRtf(stored);
    ASSERT_EQ(rebuilt.text, before.text) << stored;
    for (std::int32_t p = 0; p < static_cast<std::int32_t>(before.text.size()); ++p)
        EXPECT_EQ(RunAt(rebuilt, p)->format, RunAt(before, p)->format) << stored << " at " << p;
}

INSTANTIATE_TEST_SUITE_P(Rtf, LinkPlacement, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NameFromTitle, asciiFromAccentsAndPopupCaptions)
{
    EXPECT_EQ(NameFromTitle(EncodeCp1252(u"La fenêtre « principale »"), 4), "la_fenetre_principale");
    EXPECT_EQ(NameFromTitle(EncodeCp1252(u"#POPUP:Cœur"), 9), "coeur");
    EXPECT_EQ(NameFromTitle("2024", 7), "article_7");
    EXPECT_EQ(NameFromTitle("", 8), "article_8");
}

} // namespace
} // namespace mirelda::authoring
