// mirelda-tool search, run as a user would run it.

#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::RunTool;
using test::TempDir;
using test::ToolRun;

std::string Rtf(std::string_view body)
{
    return "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 " + std::string(body) + "\\par}";
}

class SearchCommand : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // The results are sorted under the user's locale: fix it.
        if (const char* old = std::getenv("LC_ALL"))
            oldLocale_ = old;
        ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
        base_ = (dir_.path() / "AIDE").string();
        const std::vector<ArticleSource> articles = {
            {1,
             "Z\xE8"
             "bre ray\xE9",
             Rtf("un animal"),
             {}},
            {2, "abricot\tsec", Rtf("pas un {\\b ani}mal"), {}},
            {3, "Banane", Rtf("un Animal ?"), {}},
            {4,
             "\xC9"
             "cole",
             Rtf("animalier"),
             {}},
            {5, "#POPUP:animal", Rtf("animal"), {}},
            {6, "Animalerie", Rtf("rien"), {}},
        };
        ASSERT_TRUE(WriteArticleFiles(base_ + ".PGH", base_ + ".PGD", base_ + ".PGL", articles).ok());
        std::ofstream(base_ + ".FIC", std::ios::binary).write(std::string(116, '\0').data(), 116);
    }

    void TearDown() override
    {
        if (oldLocale_)
            ::setenv("LC_ALL", oldLocale_->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }

    ToolRun Run(std::vector<std::string> args) { return RunTool(args, dir_.path()); }

    TempDir dir_;
    std::string base_;
    std::optional<std::string> oldLocale_;
};

TEST_F(SearchCommand, printsTheResultsSortedByTitleAndTheCount)
{
    const ToolRun run = Run({"search", base_, "animal"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"2\tabricot sec", "6\tAnimalerie", "3\tBanane",
                                                        "4\tÉcole", "1\tZèbre rayé"}));
    EXPECT_EQ(run.err, "5 articles found\n");
}

TEST_F(SearchCommand, optionsReachTheEngine)
{
    EXPECT_EQ(Lines(Run({"search", base_, "Animal", "--case"}).out),
              (std::vector<std::string>{"6\tAnimalerie", "3\tBanane"}));
    EXPECT_EQ(Lines(Run({"search", base_, "animal", "--word"}).out),
              (std::vector<std::string>{"2\tabricot sec", "6\tAnimalerie", "3\tBanane", "1\tZèbre rayé"}));
    EXPECT_EQ(Lines(Run({"search", base_, "animal", "--no-text"}).out),
              (std::vector<std::string>{"6\tAnimalerie"}));
    EXPECT_EQ(Lines(Run({"search", base_, "animal", "--no-title"}).out).size(), 4u);
    EXPECT_EQ(Lines(Run({"search", base_,
                         "\xC3\xA9"
                         "cole"})
                        .out),
              (std::vector<std::string>{"4\tÉcole"}));
    // Accents ignored: "zebre raye" finds "Zèbre rayé", "ecole" finds "École".
    EXPECT_EQ(Lines(Run({"search", base_, "zebre raye", "--accents"}).out),
              (std::vector<std::string>{"1\tZèbre rayé"}));
    EXPECT_EQ(Lines(Run({"search", base_, "ecole", "--accents", "--no-text"}).out),
              (std::vector<std::string>{"4\tÉcole"}));
    EXPECT_TRUE(Lines(Run({"search", base_, "ecole", "--no-text"}).out).empty());
}

TEST_F(SearchCommand, titles_listsTheFilterResultsBestFirst)
{
    // Starts first, then inside a word; the pop-up by its caption, marked; accents ignored.
    const ToolRun run = Run({"titles", base_, "ANIMAL"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"5\tanimal\tpopup", "6\tAnimalerie"}));
    EXPECT_EQ(Lines(Run({"titles", base_, "raye ze"}).out), (std::vector<std::string>{"1\tZèbre rayé"}));
    EXPECT_EQ(Lines(Run({"titles", base_, "cole"}).out), (std::vector<std::string>{"4\tÉcole"}));
    EXPECT_TRUE(Lines(Run({"titles", base_, "girafe"}).out).empty());
    EXPECT_EQ(Run({"titles", base_}).exitCode, 2);
    EXPECT_EQ(Run({"titles", (dir_.path() / "NONE").string(), "a"}).exitCode, 1);
}

TEST_F(SearchCommand, nothingFound_isNoFailure)
{
    const ToolRun run = Run({"search", base_, "girafe"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "0 articles found\n");
}

TEST_F(SearchCommand, badRequestsAndDamagedFiles_areReported)
{
    EXPECT_EQ(Run({"search", base_, "animal", "--no-title", "--no-text"}).exitCode, 2);
    EXPECT_EQ(Run({"search", base_, ""}).exitCode, 2);
    // No Windows-1252 byte for it: looked for in texts, found nowhere here, never as "?".
    EXPECT_EQ(Run({"search", base_, "\xE6\x97\xA5"}).exitCode, 0);
    EXPECT_EQ(Run({"search", base_, "animal", "--regex"}).exitCode, 2);
    EXPECT_EQ(Run({"search", base_}).exitCode, 2);
    EXPECT_EQ(Run({"search", (dir_.path() / "NONE").string(), "animal"}).exitCode, 1);

    // Article 6's record says its text runs far past the end of the file.
    std::string data = test::ReadFile(base_ + ".PGD");
    const std::size_t at = data.size() - (8 + Rtf("rien").size() + 10);
    ASSERT_EQ(data.substr(at + 4, 10), "Animalerie");
    data.replace(at + 14, 4, std::string("\xF0\xFF\xFF\x7F", 4));
    std::ofstream(base_ + ".PGD", std::ios::binary | std::ios::trunc)
        .write(data.data(), static_cast<std::streamsize>(data.size()));
    EXPECT_EQ(Run({"search", base_, "animalerie"}).exitCode, 0); // its title matched: its text is not read
    const ToolRun run = Run({"search", base_, "rien"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("article 6"), std::string::npos) << run.err;
}

} // namespace
} // namespace mirelda
