// `mirelda-tool check` on a sound help set and on one damaged in every way it reports.

#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "core/tree/contents_file.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::RunTool;
using test::TempDir;
using test::ToolRun;

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Record(std::initializer_list<std::int32_t> values)
{
    std::string out;
    for (std::int32_t v : values)
        StoreI32(out, v);
    return out;
}

struct Problem
{
    std::string file;
    std::string offset;
    std::string message;
};

std::vector<Problem> Problems(const std::string& out)
{
    std::vector<Problem> problems;
    for (const std::string& line : Lines(out)) {
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        EXPECT_NE(tab2, std::string::npos) << line;
        if (tab2 == std::string::npos)
            continue;
        problems.push_back({fs::path(line.substr(0, tab1)).filename().string(),
                            line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return problems;
}

// True when one problem names that file and offset and says `words`.
bool Has(const std::vector<Problem>& problems, const std::string& file, const std::string& offset,
         const std::string& words)
{
    return std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
        return p.file == file && p.offset == offset && p.message.find(words) != std::string::npos;
    });
}

std::string Dump(const std::vector<Problem>& problems)
{
    std::string text;
    for (const Problem& p : problems)
        text += p.file + " " + p.offset + " " + p.message + "\n";
    return text;
}

TEST(ToolCheck, soundHelpSet_reportsNothing)
{
    TempDir dir;
    const std::string base = (dir.path() / "OK").string();
    ASSERT_TRUE(WriteArticleFiles(base + ".PGH", base + ".PGD", base + ".PGL",
                                  {{1, "Un", "{\\rtf1 un}", {{0, 1, 2, 0}}}, {2, "#", "", {}}})
                    .ok());
    ASSERT_TRUE(WriteContentsFile(base + ".FIC", {{"a", "Un", "0", 1, 0, 0}}).ok());
    const ToolRun run = RunTool({"check", base}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(ToolCheck, damagedHelpSet_reportsEveryProblemWithFileAndOffset)
{
    TempDir dir;
    const fs::path base = dir.path() / "BAD";
    const std::string b = base.string();

    // .PGD: article 1 sound (27 bytes, 11 positions of text), then a record whose title
    // length runs past the end.
    std::string pgd;
    StoreU32(pgd, 1);
    pgd += "A";
    StoreU32(pgd, 18);
    pgd += "{\\rtf1 xxxxxxxxxx}";
    StoreU32(pgd, 1000);
    pgd += "abc";
    WriteBytes(b + ".PGD", pgd);

    WriteBytes(b + ".PGH", Record({1, 0, 0, 3}) +        // three links from 0
                               Record({2, 27, 48, 2}) +  // title past the end; links past the end
                               Record({3, 5000, 0, 0}) + // data record past the end
                               Record({0, 0, 0, 0}) +    // no article may be numbered 0
                               "12345");                 // partial record

    WriteBytes(b + ".PGL", Record({0, 40, 2, 0}) +      // past the end of the text
                               Record({5, 3, 2, 0}) +   // first after last
                               Record({-1, 2, 99, 0}) + // negative, target missing
                               Record({0, 1, 1, 0}) +   // article 2's first link, sound
                               "12345");                // partial record

    ASSERT_TRUE(WriteContentsFile(b + ".FIC", {{"A", "Livre", "0", 0, 0, 0},
                                               {"B", "Page", "A", 1, 0, 0},
                                               {"C", "Perdu", "ZZ", 0, 0, 0},
                                               {"D", "Manque", "A", 42, 0, 0}})
                    .ok());
    fs::resize_file(b + ".FIC", 4 * ContentsRecord::kSize); // cut the end record off

    const ToolRun run = RunTool({"check", b}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<Problem> p = Problems(run.out);
    const std::string all = Dump(p);
    EXPECT_TRUE(Has(p, "BAD.PGH", "64", "partial")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGH", "48", "article 0")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGD", "27", "article 2")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGD", "5000", "article 3")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "64", "partial")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "0", "past the end of the article's text (11")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "16", "first position after the last")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "32", "negative")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "32", "target article 99")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGL", "48", "past the end")) << all;
    EXPECT_TRUE(Has(p, "BAD.FIC", "232", "ZZ")) << all;
    EXPECT_TRUE(Has(p, "BAD.FIC", "348", "article 42")) << all;
    EXPECT_TRUE(Has(p, "BAD.FIC", "464", "end record")) << all;
    EXPECT_TRUE(Has(p, "BAD.PGH", "32", "article 3: nothing reaches it")) << all;
    EXPECT_EQ(p.size(), 14u) << all;
}

TEST(ToolCheck, forAuthors_articlesNothingReachesAndTreeEntriesOpeningPopups)
{
    TempDir dir;
    const std::string base = (dir.path() / "AUTH").string();
    // 1 links to 2 and to itself; 3 is only linked from itself; 4 is a pop-up in the tree.
    ASSERT_TRUE(WriteArticleFiles(base + ".PGH", base + ".PGD", base + ".PGL",
                                  {{1, "Un", "{\\rtf1 un deux}", {{0, 1, 2, 0}, {3, 6, 1, 0}}},
                                   {2, "Deux", "", {}},
                                   {3, "Trois", "{\\rtf1 trois}", {{0, 4, 3, 0}}},
                                   {4, "#POPUP:Quatre", "", {}}})
                    .ok());
    ASSERT_TRUE(
        WriteContentsFile(base + ".FIC", {{"a", "Deux", "0", 2, 0, 0}, {"b", "Quatre", "0", 4, 0, 0}}).ok());
    const ToolRun run = RunTool({"check", base}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<Problem> p = Problems(run.out);
    EXPECT_TRUE(Has(p, "AUTH.PGH", "32", "article 3: nothing reaches it")) << Dump(p);
    EXPECT_TRUE(Has(p, "AUTH.FIC", "116", "opens pop-up article 4")) << Dump(p);
    EXPECT_EQ(p.size(), 2u) << Dump(p);
}

TEST(ToolCheck, contentsNestedTooDeep_reportedAtEachRecordPastTheDeepestLevel)
{
    TempDir dir;
    const std::string base = (dir.path() / "DEEP").string();
    ASSERT_TRUE(
        WriteArticleFiles(base + ".PGH", base + ".PGD", base + ".PGL", {{1, "Un", "{\\rtf1 un}", {}}}).ok());
    std::vector<ContentsRecord> records{{"k0", "Niveau", "0", 0, 0, 0}};
    for (int i = 1; i < 260; ++i)
        records.push_back({"k" + std::to_string(i), "Niveau", "k" + std::to_string(i - 1), i == 259, 0, 0});
    ASSERT_TRUE(WriteContentsFile(base + ".FIC", records).ok());
    const ToolRun run = RunTool({"check", base}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const auto p = Problems(run.out);
    ASSERT_EQ(p.size(), 260u - 1 - kMaxContentsDepth) << Dump(p);
    EXPECT_TRUE(Has(p, "DEEP.FIC", std::to_string((kMaxContentsDepth + 1) * ContentsRecord::kSize),
                    "deeper than 256"))
        << Dump(p);
}

TEST(ToolCheck, missingFiles_listedAndTheOthersStillChecked)
{
    TempDir dir;
    const std::string base = (dir.path() / "HALF").string();
    ASSERT_TRUE(
        WriteArticleFiles(base + ".PGH", base + ".PGD", base + ".PGL", {{1, "Un", "", {{0, 1, 7, 0}}}}).ok());
    fs::remove(base + ".PGD");
    const ToolRun run = RunTool({"check", base + ".PGH"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<Problem> p = Problems(run.out);
    EXPECT_TRUE(Has(p, "HALF.FIC", "0", "not found")) << Dump(p);
    EXPECT_TRUE(Has(p, "HALF.PGD", "0", "not found")) << Dump(p);
    EXPECT_TRUE(Has(p, "HALF.PGL", "0", "target article 7")) << Dump(p);
    EXPECT_EQ(p.size(), 3u) << Dump(p);
}

} // namespace
} // namespace mirelda
