// The bundled guide (help/guide/) through mirelda-tool build: every link of every article
// lands exactly on its text, and every contents entry opens an article of the set.

#include "tests/tool/compiler_harness.h"

#include "core/authoring/markdown.h"
#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace mirelda {
namespace {

using namespace mirelda::test;

const fs::path kGuide = fs::path(MIRELDA_SOURCE_DIR) / "help" / "guide";

// articles.txt read on its own here, so that the test does not lean on the compiler's parser.
std::map<std::int32_t, std::string> GuideArticleNames()
{
    std::map<std::int32_t, std::string> names;
    std::istringstream in(ReadFile(kGuide / "articles.txt"));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';' || line.find('\t') == std::string::npos)
            continue;
        std::size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        names[std::stoi(line.substr(0, tab1))] = line.substr(tab1 + 1, tab2 - tab1 - 1);
    }
    return names;
}

std::string TargetName(const RichHyperlink& h, const std::map<std::int32_t, std::string>& names)
{
    std::string t = Utf16ToUtf8(h.target.empty() ? h.anchor : h.target);
    if (!t.empty() && t[0] == '#')
        t.erase(0, 1);
    if (!t.empty() && t.find_first_not_of("0123456789") == std::string::npos) {
        auto it = names.find(std::stoi(t));
        return it == names.end() ? std::string() : it->second;
    }
    return t;
}

// The article's RTF as the author wrote it, or as the compiler makes it from Markdown.
std::string SourceRtf(const std::string& name)
{
    const fs::path md = kGuide / "articles" / (name + ".md");
    if (!fs::exists(md))
        return ReadFile(kGuide / "articles" / (name + ".rtf"));
    authoring::Diagnostics diags;
    std::string rtf = authoring::MarkdownToRtf(
        ReadFile(md), md.string(), [](const std::string&) { return std::nullopt; }, diags);
    EXPECT_TRUE(diags.empty());
    return rtf;
}

TEST(CompilerGuide, everyLinkRoundTripsOnItsText)
{
    if (!fs::exists(kGuide / "articles.txt"))
        GTEST_SKIP() << "help/guide is not written yet";
    TempDir scratch;
    const fs::path base = scratch.path() / "GUIDE";
    ToolRun run = RunTool({"build", kGuide.string(), base.string()}, scratch.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const std::map<std::int32_t, std::string> names = GuideArticleNames();
    auto index = LoadArticleIndex(base.string() + ".PGH");
    ASSERT_TRUE(index.ok());
    ASSERT_EQ(index->size(), names.size());
    std::size_t links = 0;
    for (const auto& [number, name] : names) {
        SCOPED_TRACE(name);
        const ArticleEntry* entry = index->FindArticle(number);
        ASSERT_NE(entry, nullptr);
        auto article = ReadArticle(base.string() + ".PGD", *entry);
        auto table = ReadLinks(base.string() + ".PGL", *entry);
        ASSERT_TRUE(article.ok() && table.ok());

        // The source as the author wrote it, links included, against what the viewer gets.
        RichDocument source = ReadRtf(SourceRtf(name));
        RichDocument shown = ReadRtf(article->text);
        ASSERT_EQ(shown.text, source.text);
        ASSERT_EQ(table->records().size(), source.hyperlinks.size());
        for (std::size_t k = 0; k < source.hyperlinks.size(); ++k) {
            const RichHyperlink& h = source.hyperlinks[k];
            const LinkRecord& r = table->records()[k];
            EXPECT_EQ(r.first, h.first);
            EXPECT_EQ(r.last, h.last);
            ASSERT_TRUE(names.count(r.target)) << "link " << k;
            EXPECT_EQ(names.at(r.target), TargetName(h, names)) << "link " << k;
            for (std::int32_t p = r.first; p <= r.last; ++p)
                EXPECT_EQ(RunAt(shown, p)->format, RunAt(source, p)->format)
                    << "link " << k << " position " << p;
            ++links;
        }
    }
    EXPECT_GT(links, 0u);

    MemoryContentsTree tree;
    std::unordered_map<ContentsTree::Item, std::int32_t> articles;
    auto report = LoadTree(base.string() + ".FIC", tree, articles);
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report->problems.empty());
    for (const auto& [item, number] : articles) {
        if (number != 0) {
            EXPECT_TRUE(names.count(number)) << tree.node(item).title;
        }
    }
}

} // namespace
} // namespace mirelda
