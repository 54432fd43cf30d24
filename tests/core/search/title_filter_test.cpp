// The titles found as the reader types, and the titles read from a help set.

#include "core/search/title_filter.h"

#include "core/store/binary_file.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirelda {
namespace {

std::vector<std::string> Captions(TitleFilter& filter, std::u16string_view typed)
{
    std::vector<std::string> out;
    for (const std::uint32_t entry : filter.Find(typed))
        out.emplace_back(filter.caption(entry));
    return out;
}

using Titles = std::vector<std::string>;

TEST(TitleFilter, ranksStartsThenWordStartsThenAnywhere_ignoringCaseAndAccents)
{
    TitleFilter filter({{1, "Fen\xEAtres et portes"},    // Fenêtres et portes
                        {2, "La fen\xEAtre principale"}, // fenêtre
                        {3, "D\xE9"
                            "fenestration"}, // Défenestration
                        {4, "FEN\xCATRE"},   // FENÊTRE
                        {5, "Porte"},
                        {6, ""},
                        {7, "#POPUP:Fen\xEAtre volante"},
                        {8, "#fenetre"}});
    // Starts, in folded order; then a word start; then inside a word. The untitled article is
    // never listed; pop-ups are listed by their caption and marked.
    EXPECT_EQ(Captions(filter, u"fenetre"), (Titles{"FEN\xCATRE", "fenetre", "Fen\xEAtre volante",
                                                    "Fen\xEAtres et portes", "La fen\xEAtre principale"}));
    EXPECT_EQ(Captions(filter, u"FEN"), (Titles{"FEN\xCATRE", "fenetre", "Fen\xEAtre volante",
                                                "Fen\xEAtres et portes", "La fen\xEAtre principale",
                                                "D\xE9"
                                                "fenestration"}));
    const std::vector<std::uint32_t> found = filter.Find(u"volante");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(filter.number(found[0]), 7);
    EXPECT_TRUE(filter.popup(found[0]));
    EXPECT_FALSE(filter.popup(filter.Find(u"principale")[0]));

    // Words in any order, all of them needed; spaces around and between do not count.
    EXPECT_EQ(Captions(filter, u"  portes   f\u00E9n "), (Titles{"Fen\xEAtres et portes"}));
    EXPECT_EQ(Captions(filter, u"principale la"), (Titles{"La fen\xEAtre principale"}));
    EXPECT_EQ(Captions(filter, u"principale porte x"), Titles{});
    // Nothing typed, or a character no title can hold: nothing.
    EXPECT_EQ(Captions(filter, u"   "), Titles{});
    EXPECT_EQ(Captions(filter, u"\u03A9"), Titles{});
}

TEST(TitleFilter, typingOnAndBack_givesWhatAFreshFilterGives)
{
    std::vector<TitleRecord> titles;
    const char* words[] = {"alpha", "beta", "gamma", "delta", "\xE9t\xE9", "ete", "Alphabet", "l'a-b"};
    std::int32_t n = 0;
    for (const char* a : words)
        for (const char* b : words)
            titles.push_back({++n, std::string(a) + " " + b});
    TitleFilter typing(titles);
    for (const std::u16string_view text :
         {u"a", u"al", u"alp", u"alp ", u"alp b", u"alp be", u"al", u"e", u"et", u"ete", u"ete a", u"t", u"-",
          u"'a-", u"ha", u"phabet", u"a al"}) {
        TitleFilter fresh(titles);
        EXPECT_EQ(typing.Find(text), fresh.Find(text));
    }
}

TEST(LoadTitles, boundsEachTitle_andLeavesOutRecordsThatCannotBeRead)
{
    test::TempDir dir;
    const auto path = [&](const char* ext) { return dir.path() / (std::string("T") + ext); };
    ASSERT_TRUE(
        WriteArticleFiles(path(".PGH"), path(".PGD"), path(".PGL"),
                          {{1, "Accueil", "{\\rtf1 x}", {}}, {2, std::string(3000, 'a'), "{\\rtf1 y}", {}}})
            .ok());
    // A third entry whose record lies past the end of the .PGD, and a fourth whose title is
    // longer than a title may be, all of it there.
    std::string pgd = test::ReadFile(path(".PGD"));
    const auto longAt = static_cast<std::uint32_t>(pgd.size());
    StoreU32(pgd, kMaxArticleTitleBytes + 1);
    pgd.append(kMaxArticleTitleBytes + 1, 'b');
    StoreU32(pgd, 0);
    test::WriteFile(path(".PGD"), pgd);
    std::string pgh = test::ReadFile(path(".PGH"));
    for (const std::uint32_t at : {0x7FFFFFF0u, longAt}) {
        StoreU32(pgh, at == longAt ? 4 : 3);
        StoreU32(pgh, at);
        StoreU32(pgh, 0);
        StoreU32(pgh, 0);
    }
    test::WriteFile(path(".PGH"), pgh);
    auto index = LoadArticleIndex(path(".PGH"));
    ASSERT_TRUE(index.ok());
    std::size_t unreadable = 0;
    auto titles = LoadTitles(*index, path(".PGD"), &unreadable);
    ASSERT_TRUE(titles.ok());
    EXPECT_EQ(unreadable, 2u);
    ASSERT_EQ(titles->size(), 2u);
    for (const TitleRecord& r : *titles)
        EXPECT_EQ(r.title, r.number == 1 ? "Accueil" : std::string(1024, 'a'));
    EXPECT_FALSE(LoadTitles(*index, dir.path() / "NONE.PGD").ok());
}

} // namespace
} // namespace mirelda
