// mirelda-tool build on broken sources: each mistake is reported with its file and line, the
// exit status is 1, and nothing is written.

#include "tests/tool/compiler_harness.h"

#include <gtest/gtest.h>

#include <functional>

namespace mirelda {
namespace {

using namespace mirelda::test;

void Append(const fs::path& file, const std::string& text)
{
    WriteFile(file, ReadFile(file) + text);
}

void Replace(const fs::path& file, const std::string& from, const std::string& to)
{
    std::string bytes = ReadFile(file);
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    WriteFile(file, bytes.replace(at, from.size(), to));
}

struct BrokenSources
{
    const char* name;
    std::function<void(const fs::path&)> breakIt;
    // Lines expected on stderr, each after "<source folder>/"; "{src}" stands for that folder.
    std::vector<std::string> expected;
};

void PrintTo(const BrokenSources& b, std::ostream* os)
{
    *os << b.name;
}

std::string Expand(std::string line, const std::string& src)
{
    for (std::size_t at; (at = line.find("{src}")) != std::string::npos;)
        line.replace(at, 5, src);
    return src + "/" + line + "\n";
}

class CompilerErrors : public ::testing::TestWithParam<BrokenSources>
{
};

TEST_P(CompilerErrors, reportsFileAndLineAndWritesNothing)
{
    TempDir scratch;
    fs::path src = CopySources(TestData("basic"), scratch.path() / "src");
    GetParam().breakIt(src);
    fs::path base = scratch.path() / "AIDE";
    ToolRun run = RunTool({"build", src.string(), base.string()}, scratch.path());
    EXPECT_EQ(run.exitCode, 1);
    for (const std::string& line : GetParam().expected) {
        std::string want = Expand(line, src.generic_string());
        EXPECT_NE(run.err.find(want), std::string::npos) << "missing: " << want << "stderr:\n" << run.err;
    }
    std::size_t errors = GetParam().expected.size();
    EXPECT_NE(run.err.find(std::to_string(errors) + (errors == 1 ? " error;" : " errors;")),
              std::string::npos)
        << run.err;
    for (const char* ext : kHelpSetExtensions)
        EXPECT_FALSE(fs::exists(base.string() + ext)) << ext;
    EXPECT_EQ(run.out, "");
}

const BrokenSources kBroken[] = {
    {"unknownLinkTarget",
     [](const fs::path& s) { Replace(s / "articles/glossaire_rtf.rtf", "\"#accueil\"", "\"#nulle_part\""); },
     {"articles/glossaire_rtf.rtf:2: link to unknown article \"#nulle_part\""}},
    {"unknownNumberAndWordTarget",
     [](const fs::path& s) {
         Replace(s / "articles/accueil.rtf", "\"4\"", "\"5\"");
         Replace(s / "articles/word.rtf", "\\\\l \"accueil\"", "\\\\l \"ailleurs\"");
     },
     {"articles/accueil.rtf:10: link to unknown article \"5\"",
      "articles/word.rtf:10: link to unknown article \"ailleurs\""}},
    {"duplicateNumber",
     [](const fs::path& s) { Append(s / "articles.txt", "2\tdoublon\tDoublon\n"); },
     {"articles.txt:9: article number 2 is already used on line 5"}},
    {"duplicateName",
     [](const fs::path& s) { Append(s / "articles.txt", "13\tvide\tEncore\n"); },
     {"articles.txt:9: article name \"vide\" is already used on line 8"}},
    {"contentsEntryNamingNothing",
     [](const fs::path& s) { Append(s / "contents.txt", "- Perdu = nulle_part\n  - Aussi = 99\n"); },
     {"contents.txt:12: no article \"nulle_part\"", "contents.txt:13: no article \"99\""}},
    {"missingArticleFile",
     [](const fs::path& s) { fs::remove(s / "articles/vide.rtf"); },
     {"articles.txt:8: article file {src}/articles/vide.rtf does not exist"}},
    {"missingArticleList",
     [](const fs::path& s) { fs::remove(s / "articles.txt"); },
     {"articles.txt: does not exist"}},
    {"missingContents",
     [](const fs::path& s) { fs::remove(s / "contents.txt"); },
     {"contents.txt: does not exist"}},
    {"emptyLinkText",
     [](const fs::path& s) {
         Replace(s / "articles/vide.rtf", "aucun lien",
                 "aucun {\\field{\\*\\fldinst HYPERLINK \"accueil\"}{\\fldrslt {\\ul }}}lien "
                 "{\\field{\\*\\fldinst HYPERLINK \"accueil\"}}");
     },
     {"articles/vide.rtf:2: the link to \"accueil\" has no text",
      "articles/vide.rtf:2: the link to \"accueil\" has no text"}},
    {"linkInsideALink",
     [](const fs::path& s) {
         Replace(s / "articles/vide.rtf", "aucun lien",
                 "{\\field{\\*\\fldinst HYPERLINK \"accueil\"}{\\fldrslt a "
                 "{\\field{\\*\\fldinst HYPERLINK \"word\"}{\\fldrslt b}}}}");
     },
     {"articles/vide.rtf:2: a link inside the text of another link"}},
    {"unbalancedBraces",
     [](const fs::path& s) { Replace(s / "articles/vide.rtf", "\\par\n}", "\\par\n"); },
     {"articles/vide.rtf:1: this \"{\" is never closed"}},
    {"titleWithoutCp1252Byte",
     [](const fs::path& s) { Append(s / "articles.txt", "13\tchinois\t\xE4\xB8\xAD\n"); },
     {"articles.txt:9: title has a character with no Windows-1252 byte: \"\xE4\xB8\xAD\""}},
    {"badArticleLines",
     [](const fs::path& s) {
         Append(s / "articles.txt", "0\tzero\tZ\nsept\tsept\tS\n14\t42\tX\n15 sans tab\n");
     },
     {"articles.txt:9: article number \"0\" is not a number from 1 to 2147483647",
      "articles.txt:10: article number \"sept\" is not a number from 1 to 2147483647",
      "articles.txt:11: article name \"42\" must be letters, digits, \"_\" or \"-\", and not only digits",
      "articles.txt:12: expected number<TAB>name<TAB>title"}},
    {"contentsLayout",
     [](const fs::path& s) {
         Append(s / "contents.txt",
                "      - Trop = vide\n   - Impair = vide\n\t- Tab = vide\n- Sans cible\n* Quoi\n- " +
                    std::string(80, 'x') + " = vide\n");
     },
     {"contents.txt:12: indented more than one level below the entry above",
      "contents.txt:13: indentation must be a multiple of 2 spaces",
      "contents.txt:14: indent with spaces (2 a level), not tabs",
      "contents.txt:15: a page needs \" = article\" after its title",
      "contents.txt:16: expected \"+ Book title\" or \"- Page title = article\"",
      "contents.txt:17: title is 80 bytes in Windows-1252; at most 79"}},
    {"rtfAndMarkdownForOneArticle",
     [](const fs::path& s) { WriteFile(s / "articles/vide.md", "Vide.\n"); },
     {"articles.txt:8: article \"vide\" has both {src}/articles/vide.rtf and {src}/articles/vide.md; keep "
      "one"}},
    {"markdownLinks",
     [](const fs::path& s) {
         fs::remove(s / "articles/vide.rtf");
         WriteFile(s / "articles/vide.md", "# Vide\n\nUn [lien](accueil) et\n[un autre](ailleurs).\n\n"
                                           "[Le site](https://exemple.org)\n");
     },
     {"articles/vide.md:4: link to unknown article \"ailleurs\"",
      "articles/vide.md:6: link to \"https://exemple.org\": a link names an article (name, #name or number); "
      "the viewer opens no outside address"}},
    // Invalid UTF-8 anywhere an author writes text; the line is left out and nothing else is
    // said of it: the entry under the bad book and the tree entry naming the bad article are
    // not reported.
    {"invalidUtf8",
     [](const fs::path& s) {
         fs::remove(s / "articles/vide.rtf");
         WriteFile(s / "articles/vide.md", "# Vide\n\nMauvais \xC3( octet\n\nEncore \xE9\n");
         Append(s / "articles.txt", "13\tlatin\tCaf\xE9\n");
         Append(s / "contents.txt", "+ Livre \xFF\n  - Enfant = latin\n");
     },
     {"articles/vide.md:3: invalid UTF-8 (byte 0xC3 at column 9); save the file as UTF-8 (and 1 more line "
      "below)",
      "articles.txt:9: invalid UTF-8 (byte 0xE9 at column 13); save the file as UTF-8",
      "contents.txt:12: invalid UTF-8 (byte 0xFF at column 9); save the file as UTF-8"}},
    // One mistake, one error: links and tree entries naming a refused article or a duplicate,
    // and the entries under a refused book, say nothing more.
    {"noCascades",
     [](const fs::path& s) {
         Append(s / "articles.txt", "13\tchinois\t\xE4\xB8\xAD\n14\tjaponais\t\xE3\x81\x82\n"
                                    "2\tdoublon\tDoublon\n");
         Append(s / "contents.txt", "- A = chinois\n- B = japonais\n- C = doublon\n"
                                    "* Livre mal \xC3\xA9"
                                    "crit\n  - Sous = vide\n    - Sous-sous = vide\n");
         Replace(s / "articles/vide.rtf", "aucun lien",
                 "{\\field{\\*\\fldinst HYPERLINK \"chinois\"}{\\fldrslt lien}}");
     },
     {"articles.txt:9: title has a character with no Windows-1252 byte: \"\xE4\xB8\xAD\"",
      "articles.txt:10: title has a character with no Windows-1252 byte: \"\xE3\x81\x82\"",
      "articles.txt:11: article number 2 is already used on line 5",
      "contents.txt:15: expected \"+ Book title\" or \"- Page title = article\""}},
};

INSTANTIATE_TEST_SUITE_P(Sources, CompilerErrors, ::testing::ValuesIn(kBroken),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace mirelda

namespace mirelda {
namespace {

using namespace mirelda::test;

// What `check` finds in a built set, said by `build` at the source line; --werror refuses it.
TEST(CompilerWarnings, atTheSourceLineAndErrorsUnderWerror)
{
    TempDir scratch;
    fs::path src = CopySources(TestData("basic"), scratch.path() / "src");
    WriteFile(src / "articles.txt", ReadFile(src / "articles.txt") + "13\tseul\tSeul au monde\n");
    WriteFile(src / "articles/seul.rtf", "{\\rtf1\\ansi Personne ne vient ici.\\par\n}");
    const std::string prefix = src.generic_string() + "/";
    const std::string popup = prefix + "contents.txt:10: warning: this entry opens pop-up article "
                                       "\"glossaire_rtf\", which the tree shows as an ordinary article\n";
    const std::string alone = prefix + "articles.txt:9: warning: nothing reaches article \"seul\" (no tree "
                                       "entry, no link from another article)\n";

    fs::path base = scratch.path() / "AIDE";
    ToolRun built = RunTool({"build", src.string(), base.string()}, scratch.path());
    EXPECT_EQ(built.exitCode, 0);
    EXPECT_EQ(built.err, popup + alone);
    EXPECT_TRUE(fs::exists(base.string() + ".PGH"));

    fs::path strict = scratch.path() / "STRICT";
    ToolRun refused = RunTool({"build", "--werror", src.string(), strict.string()}, scratch.path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, popup + alone + "2 errors; nothing written\n");
    for (const char* ext : kHelpSetExtensions)
        EXPECT_FALSE(fs::exists(strict.string() + ext)) << ext;
}

} // namespace
} // namespace mirelda
