// mirelda-tool decompile: building the decompiled sources gives back the same titles, texts,
// links and tree, byte for byte when the help set came from the compiler.

#include "tests/tool/compiler_harness.h"

#include "bench/generate_help_set.h"
#include "core/richtext/plain_text.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <gtest/gtest.h>

#include <map>

namespace mirelda {
namespace {

using namespace mirelda::test;

struct Shown
{
    std::string title;
    std::u16string text;
    std::vector<LinkRecord> links;
    friend bool operator==(const Shown&, const Shown&) = default;
};

// What the viewer shows of each article, and the tree as indented lines.
std::map<std::int32_t, Shown> ReadShown(const std::string& base, std::string& tree)
{
    std::map<std::int32_t, Shown> shown;
    auto index = LoadArticleIndex(base + ".PGH");
    EXPECT_TRUE(index.ok());
    index->ForEach([&](const ArticleEntry& e) {
        auto article = ReadArticle(base + ".PGD", e);
        auto links = ReadLinks(base + ".PGL", e);
        EXPECT_TRUE(article.ok() && links.ok());
        shown[e.number] = {article->title, ExtractPlainText(article->text), links->records()};
    });
    MemoryContentsTree t;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    EXPECT_TRUE(LoadTree(base + ".FIC", t, articles).ok());
    t.ForEachInDisplayOrder([&](ContentsTree::Item item, std::size_t depth) {
        tree += std::string(depth, ' ') + t.node(item).title + "=" + std::to_string(articles[item]) + "\n";
    });
    return shown;
}

// Decompiles `base` into scratch/src and builds it into scratch/again/BASE.
ToolRun RoundTrip(const std::string& base, const TempDir& scratch, std::string& rebuilt)
{
    const fs::path src = scratch.path() / "src";
    ToolRun decompiled = RunTool({"decompile", base, src.string()}, scratch.path());
    EXPECT_EQ(decompiled.exitCode, 0) << decompiled.err;
    rebuilt = (scratch.path() / "again" / "BASE").string();
    ToolRun built = RunTool({"build", src.string(), rebuilt}, scratch.path());
    EXPECT_EQ(built.exitCode, 0) << built.err;
    return decompiled;
}

// The guide (RTF and Markdown articles), and the compiler's test sources: links in formatted
// groups, hidden text, \'hh and \u escapes, a pop-up, and here a page holding two levels.
TEST(Decompile, compiledSourcesComeBackByteForByte)
{
    TempDir basic;
    const fs::path withPages = CopySources(TestData("basic"), basic.path() / "basic");
    WriteFile(withPages / "contents.txt", ReadFile(withPages / "contents.txt") +
                                              "- Page m\xC3\xA8re = accueil\n  - Enfant = rtf_lo\n"
                                              "    - Petit-enfant = 3\n  - Fin = vide\n");
    for (const fs::path& sources : {fs::path(MIRELDA_SOURCE_DIR) / "help" / "guide", withPages}) {
        SCOPED_TRACE(sources.string());
        TempDir scratch;
        const std::string base = (scratch.path() / "FIRST").string();
        ASSERT_EQ(RunTool({"build", sources.string(), base}, scratch.path()).exitCode, 0);
        std::string rebuilt;
        ToolRun decompiled = RoundTrip(base, scratch, rebuilt);
        EXPECT_EQ(decompiled.err, "");
        for (const char* ext : kHelpSetExtensions)
            EXPECT_EQ(ReadFile(rebuilt + ext), ReadFile(base + ext)) << ext;
    }
}

TEST(Decompile, generatedHelpSetKeepsTextsLinksAndTree)
{
    TempDir scratch;
    const std::string base = (scratch.path() / "GEN").string();
    ASSERT_TRUE(bench::GenerateHelpSet(base, 60, 7).ok());
    std::string rebuilt;
    ToolRun decompiled = RoundTrip(base, scratch, rebuilt);
    std::string treeBefore, treeAfter;
    std::map<std::int32_t, Shown> before = ReadShown(base, treeBefore);
    std::map<std::int32_t, Shown> after = ReadShown(rebuilt, treeAfter);
    EXPECT_EQ(treeAfter, treeBefore);
    ASSERT_EQ(after.size(), before.size());
    for (auto& [number, shown] : before) {
        SCOPED_TRACE(number);
        EXPECT_EQ(after[number].title, shown.title);
        EXPECT_EQ(after[number].text, shown.text);
        // The generator's link records are in text order and never cross a paragraph mark
        // unless a warning says what was done with them.
        if (decompiled.err.find("warning: article " + std::to_string(number) + ": link") ==
            std::string::npos) {
            EXPECT_EQ(after[number].links, shown.links);
        }
    }
}

TEST(Decompile, refusesAFolderThatHoldsFiles)
{
    TempDir scratch;
    const std::string base = (scratch.path() / "FIRST").string();
    ASSERT_EQ(RunTool({"build", TestData("basic").string(), base}, scratch.path()).exitCode, 0);
    fs::create_directories(scratch.path() / "src");
    WriteFile(scratch.path() / "src" / "notes.txt", "mine");
    ToolRun run = RunTool({"decompile", base, (scratch.path() / "src").string()}, scratch.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not an empty folder"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(scratch.path() / "src" / "notes.txt"), "mine");
    EXPECT_FALSE(fs::exists(scratch.path() / "src" / "articles.txt"));
}

// A help set whose sources would not build is no success: text that is not RTF, no article.
TEST(Decompile, sourcesThatDoNotBuildFailWithTheirErrors)
{
    struct Case
    {
        const char* name;
        std::vector<ArticleSource> articles;
        const char* error;
    };
    const Case cases[] = {
        {"notRtf", {{1, "Accueil", "Du texte } sans RTF", {}}}, "articles/accueil.rtf:1: "},
        {"noArticle", {}, "articles.txt: lists no article"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir scratch;
        const std::string base = (scratch.path() / "SET").string();
        ASSERT_TRUE(WriteArticleFiles(base + ".PGH", base + ".PGD", base + ".PGL", c.articles).ok());
        ASSERT_TRUE(WriteContentsFile(base + ".FIC", {}).ok());
        const fs::path src = scratch.path() / "src";
        ToolRun run = RunTool({"decompile", base, src.string()}, scratch.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(src.generic_string() + "/" + c.error), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("the sources were written but do not build"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
} // namespace mirelda
