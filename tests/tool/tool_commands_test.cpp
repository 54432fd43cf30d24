// mirelda-tool's read-only commands, run as a user would run them, on a help set written by
// the store's and the tree's writers.

#include "core/store/help_set.h"
#include "core/tree/contents_file.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::RunTool;
using test::TempDir;
using test::ToolRun;

const std::string kHomeRtf = "{\\rtf1 Hello {\\b world}\\par Second}";
const std::string kSecondRtf = "{\\rtf1 a\\tab b\\line c{\\v hid}\\par d}";

class ToolCommands : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        base_ = dir_.path() / "GUIDE";
        Write(base_, ".PGH", ".PGD", ".PGL", ".FIC");
    }

    static void Write(const fs::path& base, const char* pgh, const char* pgd, const char* pgl,
                      const char* fic)
    {
        const std::vector<ArticleSource> articles = {
            {1, "Accueil", kHomeRtf, {{0, 4, 2, 0}, {6, 10, 3, 7}}},
            {2, "Deuxi\xE8me\tpage", kSecondRtf, {}},
            {3, "#POPUP:Note", "{\\rtf1 Note}", {{0, 3, 1, 0}}},
            {4, "", "", {}},
        };
        const std::string b = base.string();
        ASSERT_TRUE(WriteArticleFiles(b + pgh, b + pgd, b + pgl, articles).ok());
        const std::vector<ContentsRecord> tree = {
            {"A", "Livre", "0", 0, 0, 0},
            {"B", "Accueil", "A", 1, 0, 0},
            {"C", "Sous-livre", "B", 0, 0, 2},
            {"D", "Deuxi\xE8me", "C", 2, 0, 0},
        };
        ASSERT_TRUE(WriteContentsFile(b + fic, tree).ok());
    }

    ToolRun Run(std::vector<std::string> args) { return RunTool(args, dir_.path()); }
    std::string Base() const { return base_.string(); }

    TempDir dir_;
    fs::path base_;
};

TEST_F(ToolCommands, info_countsArticlesPopupsLinksAndTreeEntries)
{
    const ToolRun run = Run({"info", Base()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "articles\t4\npopups\t2\nlinks\t3\ntree\t4\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(ToolCommands, info_reportsEachUnreadableTitleInEnumerationOrder_andCountsTheRest)
{
    // The data file ends where article 3's record starts: the titles of 3 and 4 run past it.
    auto index = LoadArticleIndex(Base() + ".PGH");
    ASSERT_TRUE(index.ok());
    const std::uint64_t third = index->FindArticle(3)->textOffset;
    const std::uint64_t fourth = index->FindArticle(4)->textOffset;
    ASSERT_LT(third, fourth);
    fs::resize_file(Base() + ".PGD", third);
    const ToolRun run = Run({"info", Base()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "articles\t4\npopups\t0\nlinks\t3\ntree\t4\n");
    const auto lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 2u) << run.err;
    // Article 4 comes first in the index's enumeration order, though last in the file.
    EXPECT_NE(lines[0].find(std::to_string(fourth)), std::string::npos) << run.err;
    EXPECT_NE(lines[1].find(std::to_string(third)), std::string::npos) << run.err;
}

TEST_F(ToolCommands, index_listsEntriesInEnumerationOrder)
{
    const ToolRun run = Run({"index", Base()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    // Numbers 1 to 4 share the first bucket; the newest entry heads the chain.
    EXPECT_TRUE(lines[0].starts_with("4\t"));
    EXPECT_TRUE(lines[1].starts_with("3\t"));
    EXPECT_TRUE(lines[2].starts_with("2\t"));
    const std::size_t secondOffset = 8 + 7 + kHomeRtf.size();
    EXPECT_EQ(lines[2], "2\t" + std::to_string(secondOffset) + "\t32\t0");
    EXPECT_EQ(lines[3], "1\t0\t0\t2");
}

TEST_F(ToolCommands, article_titleRtfAndText)
{
    const ToolRun title = Run({"article", Base(), "2"});
    EXPECT_EQ(title.exitCode, 0) << title.err;
    EXPECT_EQ(title.out, "Deuxi\xC3\xA8me page\n"); // UTF-8; the tab would split the record

    const ToolRun rtf = Run({"article", Base(), "1", "--rtf"});
    EXPECT_EQ(rtf.exitCode, 0);
    EXPECT_EQ(rtf.out, kHomeRtf);

    const ToolRun text = Run({"article", Base(), "--text", "1"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "Hello world\nSecond");

    // Tabs, line breaks as U+000B, hidden text counted.
    EXPECT_EQ(Run({"article", Base(), "2", "--text"}).out, "a\tb\vchid\nd");
    EXPECT_EQ(Run({"article", Base(), "4", "--text"}).out, "");
}

TEST_F(ToolCommands, links_inFileOrder)
{
    const ToolRun run = Run({"links", Base(), "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\t4\t2\n6\t10\t3\n");
    EXPECT_EQ(Run({"links", Base(), "2"}).out, "");
}

TEST_F(ToolCommands, tree_indentedInDisplayOrder)
{
    const ToolRun run = Run({"tree", Base()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Livre\t0\t0\n"
                       "  Accueil\t10\t1\n"
                       "  Sous-livre\t1\t0\n"
                       "    Deuxi\xC3\xA8me\t10\t2\n");
}

TEST_F(ToolCommands, baseWithExtensionOrLowerCaseFiles)
{
    EXPECT_EQ(Run({"info", Base() + ".PGD"}).exitCode, 0);
    EXPECT_EQ(Run({"info", Base() + ".fic"}).exitCode, 0);
    const fs::path lower = dir_.path() / "aide";
    Write(lower, ".pgh", ".pgd", ".pgl", ".fic");
    const ToolRun run = Run({"links", lower.string(), "3"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\t3\t1\n");
}

TEST_F(ToolCommands, missingArticle_exitsOneNamingTheIndex)
{
    for (const char* command : {"article", "links"}) {
        const ToolRun run = Run({command, Base(), "99"});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("GUIDE.PGH"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("99"), std::string::npos) << run.err;
    }
}

TEST_F(ToolCommands, missingFile_exitsOneNamingIt)
{
    fs::remove(Base() + ".PGL");
    for (const char* command : {"info", "index", "tree"}) {
        const ToolRun run = Run({command, Base()});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("GUIDE.PGL"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Run({"article", dir_.path().string() + "/nothing", "1"}).exitCode, 1);
}

TEST_F(ToolCommands, usageErrors_exitTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", Base()},
        {"info"},
        {"info", Base(), "extra"},
        {"article", Base()},
        {"article", Base(), "x1"},
        {"article", Base(), "1", "--bogus"},
        {"article", Base(), "1", "--rtf", "--text"},
        {"links", Base(), "99999999999"},
        {"tree", Base(), "--rtf"},
    };
    for (const auto& args : cases) {
        const ToolRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err, "");
        EXPECT_EQ(run.out.find('\t'), std::string::npos);
    }
}

TEST_F(ToolCommands, helpAndVersion)
{
    const ToolRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"info", "check", "index", "article", "links", "tree",
                                "build [--werror] [--watch]", "decompile", "man mirelda-tool"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const ToolRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.starts_with("mirelda-tool ")) << version.out;
}

} // namespace
} // namespace mirelda
