// The problems of a help set come in a fixed order, damage before the author's findings,
// each marked as such, with the offset of the record at fault.

#include "core/authoring/help_set_check.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace mirelda::authoring {
namespace {

TEST(HelpSetCheck, damageFileByFileThenAuthorFindings_inOrder)
{
    test::TempDir dir;
    const std::string base = (dir / "SET").string();
    // 1 links to a missing article; 2 is a pop-up opened from the tree; 3 is reached by
    // nothing; the second tree entry names a missing article.
    ASSERT_TRUE(
        WriteArticleFiles(
            base + ".PGH", base + ".PGD", base + ".PGL",
            {{1, "Un", "{\\rtf1 un}", {{0, 1, 9, 0}}}, {2, "#POPUP:Deux", "", {}}, {3, "Trois", "", {}}})
            .ok());
    ASSERT_TRUE(
        WriteContentsFile(base + ".FIC", {{"a", "Deux", "0", 2, 0, 0}, {"b", "Manque", "0", 42, 0, 0}}).ok());

    const std::vector<HelpSetProblem> found = FindHelpSetProblems(ResolveHelpSetFiles(base));
    struct Expected
    {
        std::string file;
        std::uint64_t offset;
        std::string words;
        bool forAuthor;
    };
    const Expected expected[] = {
        {"SET.PGL", 0, "target article 9", false},
        {"SET.FIC", ContentsRecord::kSize, "article 42 is not in the index", false},
        {"SET.FIC", 0, "opens pop-up article 2", true},
        {"SET.PGH", 2 * sizeof(ArticleEntry), "article 3: nothing reaches it", true},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(found[i].message);
        EXPECT_EQ(std::filesystem::path(found[i].path).filename(), expected[i].file);
        EXPECT_EQ(found[i].offset, expected[i].offset);
        EXPECT_NE(found[i].message.find(expected[i].words), std::string::npos);
        EXPECT_EQ(found[i].forAuthor, expected[i].forAuthor);
    }
}

} // namespace
} // namespace mirelda::authoring
