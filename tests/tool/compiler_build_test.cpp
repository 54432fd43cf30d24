// mirelda-tool build on a small source tree: what it writes reads back through the store, the
// RTF reader and the tree loader exactly as the sources describe.

#include "tests/tool/compiler_harness.h"

#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace mirelda {
namespace {

using namespace mirelda::test;

struct ExpectedLink
{
    std::int32_t target;
    std::u16string text;
};

// What tests/data/compiler/basic says, link by link, in document order.
const std::map<std::int32_t, std::vector<ExpectedLink>>& BasicLinks()
{
    static const std::map<std::int32_t, std::vector<ExpectedLink>> links = {
        {1,
         {{2, u"Écrire en RTF"},
          {3, u"façon Word"},
          {4, u"glossaire l’RTF"},
          {2, u"deux\vlignes"},
          {1, u"image"},
          {12, u"viscachéible"},
          {12, u"rire \U0001F600"}}},
        {2, {{1, u"B1"}, {1, u"accueil"}}},
        {3, {{1, u"page d’accueil"}, {4, u"gras"}}},
        {4, {{1, u"l’accueil"}}},
        {12, {}},
    };
    return links;
}

class CompilerBuild : public ::testing::Test
{
  protected:
    TempDir scratch;
    fs::path base = scratch.path() / "out" / "AIDE";

    void Build(const fs::path& sources, const fs::path& out)
    {
        ToolRun run = RunTool({"build", sources.string(), out.string()}, scratch.path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const std::string& line : Lines(run.err)) // the author checks' warnings, nothing else
            EXPECT_NE(line.find(": warning: "), std::string::npos) << line;
    }
    fs::path File(const char* ext) const { return fs::path(base.string() + ext); }
};

// Reads the built set back and checks each article's links against `expected`.
void ExpectLinks(const fs::path& base, const std::map<std::int32_t, std::vector<ExpectedLink>>& expectedLinks)
{
    auto index = LoadArticleIndex(base.string() + ".PGH");
    ASSERT_TRUE(index.ok()) << index.error().message;
    ASSERT_EQ(index->size(), expectedLinks.size());

    for (const auto& [number, expected] : expectedLinks) {
        SCOPED_TRACE("article " + std::to_string(number));
        const ArticleEntry* entry = index->FindArticle(number);
        ASSERT_NE(entry, nullptr);
        auto article = ReadArticle(base.string() + ".PGD", *entry);
        auto links = ReadLinks(base.string() + ".PGL", *entry);
        ASSERT_TRUE(article.ok() && links.ok());
        // Links left in the RTF would be seen by nobody; the one in word.rtf's header stays.
        if (number != 3) {
            EXPECT_EQ(article->text.find("HYPERLINK"), std::string::npos);
        }

        RichDocument doc = ReadRtf(article->text);
        EXPECT_EQ(ExtractPlainText(article->text), doc.text);
        EXPECT_TRUE(doc.hyperlinks.empty());
        ASSERT_EQ(links->records().size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const LinkRecord& r = links->records()[k];
            SCOPED_TRACE("link " + std::to_string(k));
            EXPECT_EQ(r.target, expected[k].target);
            ASSERT_LE(r.first, r.last);
            ASSERT_LT(static_cast<std::size_t>(r.last), doc.text.size());
            EXPECT_EQ(doc.text.substr(static_cast<std::size_t>(r.first),
                                      static_cast<std::size_t>(r.last - r.first + 1)),
                      expected[k].text);
            EXPECT_EQ(r.reserved, 0);
            // The look of the link text stays: underlined, or bold where the field itself said so.
            for (std::int32_t p = r.first; p <= r.last; ++p) {
                const CharRun* run = RunAt(doc, p);
                ASSERT_NE(run, nullptr);
                EXPECT_TRUE(run->format.underline != UnderlineKind::None || run->format.bold)
                    << "position " << p;
            }
        }
    }
}

TEST_F(CompilerBuild, everyLinkCoversExactlyItsTextAndKeepsItsLook)
{
    Build(TestData("basic"), base);
    ExpectLinks(base, BasicLinks());
}

TEST_F(CompilerBuild, linkOpeningATableCellCoversOnlyItsText)
{
    Build(TestData("table"), base);
    ExpectLinks(base, {{1, {{1, u"B1"}, {1, u"A2"}}}});
}

TEST_F(CompilerBuild, hiddenTextInsideALinkStaysHiddenAndCounted)
{
    Build(TestData("basic"), base);
    auto index = LoadArticleIndex(File(".PGH"));
    ASSERT_TRUE(index.ok());
    auto article = ReadArticle(File(".PGD"), *index->FindArticle(1));
    auto links = ReadLinks(File(".PGL"), *index->FindArticle(1));
    ASSERT_TRUE(article.ok() && links.ok());
    RichDocument doc = ReadRtf(article->text);
    const LinkRecord& r = links->records().at(5);
    std::size_t hidden = doc.text.find(u"caché", static_cast<std::size_t>(r.first));
    ASSERT_NE(hidden, std::u16string::npos);
    EXPECT_TRUE(RunAt(doc, static_cast<std::int32_t>(hidden))->format.hidden);
    EXPECT_FALSE(RunAt(doc, r.first)->format.hidden);
}

TEST_F(CompilerBuild, titlesIndexOrderAndOtherFieldsAreKept)
{
    Build(TestData("basic"), base);
    // Records in articles.txt order.
    std::string pgh = ReadFile(File(".PGH"));
    ASSERT_EQ(pgh.size(), 5u * 16u);
    std::vector<std::int32_t> order;
    for (std::size_t at = 0; at < pgh.size(); at += 16)
        order.push_back(static_cast<std::int32_t>(static_cast<unsigned char>(pgh[at]) |
                                                  static_cast<unsigned char>(pgh[at + 1]) << 8));
    EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 3, 4, 12}));

    auto index = LoadArticleIndex(File(".PGH"));
    ASSERT_TRUE(index.ok());
    auto word = ReadArticle(File(".PGD"), *index->FindArticle(3));
    auto popup = ReadArticle(File(".PGD"), *index->FindArticle(4));
    auto home = ReadArticle(File(".PGD"), *index->FindArticle(1));
    ASSERT_TRUE(word.ok() && popup.ok() && home.ok());
    EXPECT_EQ(word->title, "Un article fa\xE7on Word \x97 avec tiret");
    EXPECT_TRUE(IsPopupTitle(popup->title));
    EXPECT_EQ(PopupCaption(popup->title), "Glossaire : RTF");
    // A field that is not a link is left to the reader.
    EXPECT_NE(home->text.find("PAGE"), std::string::npos);
}

TEST_F(CompilerBuild, contentsTreeReadsBackWithItsStructure)
{
    Build(TestData("basic"), base);
    MemoryContentsTree tree;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    auto report = LoadTree(File(".FIC"), tree, articles);
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report->endRecordSeen);
    EXPECT_TRUE(report->problems.empty());

    using Row = std::tuple<std::size_t, std::string, std::int32_t, int>; // depth, title, article, image
    std::vector<Row> rows;
    tree.ForEachInDisplayOrder([&](ContentsTree::Item item, std::size_t depth) {
        rows.emplace_back(depth, tree.node(item).title, articles.at(item), tree.node(item).image);
    });
    const std::vector<Row> expected = {
        {0, "Livre un", 0, 0},
        {1, "Accueil", 1, kPageImage},
        {1, "Livre deux", 0, 1},
        {2,
         "\xC9"
         "crire en RTF",
         2, kPageImage},
        {2, "Livre trois", 0, 2},
        {3, "Word", 3, kPageImage},
        {1, "Par num\xE9ro", 12, kPageImage},
        {0, "Glossaire", 4, kPageImage},
        {0, "Livre vide", 0, 0},
    };
    EXPECT_EQ(rows, expected);

    auto records = ReadContentsRecords(File(".FIC"));
    ASSERT_TRUE(records.ok());
    for (const ContentsRecord& r : records->records) {
        EXPECT_LE(r.key.size(), 11u);
        EXPECT_EQ(r.linkKind, 1);
    }
}

TEST_F(CompilerBuild, rebuildIsByteIdentical)
{
    TempDir other;
    fs::path copy = CopySources(TestData("basic"), other.path() / "src");
    Build(TestData("basic"), base);
    fs::path second = other.path() / "elsewhere" / "AUTRE";
    Build(copy, second);
    for (const char* ext : kHelpSetExtensions)
        EXPECT_EQ(ReadFile(File(ext)), ReadFile(second.string() + ext)) << ext;
}

TEST_F(CompilerBuild, failedBuildLeavesThePreviousHelpSetUntouched)
{
    Build(TestData("basic"), base);
    std::map<std::string, std::string> before;
    for (const char* ext : kHelpSetExtensions)
        before[ext] = ReadFile(File(ext));

    fs::path broken = CopySources(TestData("basic"), scratch.path() / "broken");
    WriteFile(broken / "contents.txt", ReadFile(broken / "contents.txt") + "- Perdu = personne\n");
    ToolRun run = RunTool({"build", broken.string(), base.string()}, scratch.path());
    EXPECT_EQ(run.exitCode, 1);
    for (const char* ext : kHelpSetExtensions)
        EXPECT_EQ(ReadFile(File(ext)), before[ext]) << ext;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(base.parent_path()))
        ++files;
    EXPECT_EQ(files, 4u); // no temporary left behind
}

TEST_F(CompilerBuild, wrongCommandLinesExitWithTwo)
{
    EXPECT_EQ(RunTool({"build"}, scratch.path()).exitCode, 2);
    EXPECT_EQ(RunTool({"build", TestData("basic").string()}, scratch.path()).exitCode, 2);
    EXPECT_EQ(RunTool({"build", "a", "b", "c"}, scratch.path()).exitCode, 2);
    EXPECT_FALSE(fs::exists(base.parent_path()));
}

} // namespace
} // namespace mirelda
