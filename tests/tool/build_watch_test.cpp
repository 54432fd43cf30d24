// mirelda-tool build --watch: every change to the sources gives one build and its result; a
// failed build leaves the previous output; a source folder that disappears is waited for.

#include "tests/tool/compiler_harness.h"

#include "core/store/help_set.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace mirelda {
namespace {

using namespace mirelda::test;

// The tool running in the background, its output going to two files.
class Watcher
{
  public:
    Watcher(const std::vector<std::string>& args, const fs::path& scratch)
        : out_(scratch / "watch.out"), err_(scratch / "watch.err")
    {
        pid_ = SpawnTool(args, out_, err_);
    }
    ~Watcher()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    // Waits until `file` holds `count` occurrences of `text`.
    bool WaitFor(bool onStdout, const std::string& text, std::size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string seen = ReadFile(onStdout ? out_ : err_);
            std::size_t found = 0;
            for (std::size_t at = seen.find(text); at != std::string::npos; at = seen.find(text, at + 1))
                ++found;
            if (found >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string Out() const { return ReadFile(out_); }
    std::string Err() const { return ReadFile(err_); }

  private:
    fs::path out_, err_;
    pid_t pid_ = 0;
};

std::string ArticleText(const fs::path& base, std::int32_t number)
{
    auto index = LoadArticleIndex(base.string() + ".PGH");
    if (!index || !index->FindArticle(number))
        return {};
    auto article = ReadArticle(base.string() + ".PGD", *index->FindArticle(number));
    return article ? article->text : std::string();
}

TEST(BuildWatch, rebuildsOnEveryChangeAndSurvivesAFailureAndAVanishedFolder)
{
    TempDir scratch;
    const fs::path src = CopySources(TestData("basic"), scratch.path() / "src");
    const fs::path base = scratch.path() / "AIDE";
    const std::string built = base.string() + ": 5 articles";
    Watcher watch({"build", "--watch", src.string(), base.string()}, scratch.path());
    ASSERT_TRUE(watch.WaitFor(true, built, 1)) << watch.Err();

    // An editor's save: a new file renamed over the old one.
    WriteFile(src / "articles" / "vide.rtf.new", "{\\rtf1\\ansi Nouveau texte.\\par\n}");
    fs::rename(src / "articles" / "vide.rtf.new", src / "articles" / "vide.rtf");
    ASSERT_TRUE(watch.WaitFor(true, built, 2)) << watch.Err();
    EXPECT_NE(ArticleText(base, 12).find("Nouveau texte"), std::string::npos);

    // A build that fails says why and leaves the previous set.
    WriteFile(src / "articles" / "vide.rtf", "{\\rtf1\\ansi {\\field{\\*\\fldinst HYPERLINK \"ailleurs\"}"
                                             "{\\fldrslt lien}}\\par\n}");
    ASSERT_TRUE(watch.WaitFor(false, "1 error; nothing written", 1)) << watch.Err();
    EXPECT_NE(watch.Err().find("vide.rtf:1: link to unknown article \"ailleurs\""), std::string::npos);
    EXPECT_NE(ArticleText(base, 12).find("Nouveau texte"), std::string::npos);

    // The whole folder goes (a checkout, a move) and comes back.
    fs::rename(src, scratch.path() / "away");
    ASSERT_TRUE(watch.WaitFor(false, "the source folder is gone", 1)) << watch.Err();
    EXPECT_TRUE(watch.Running());
    CopySources(TestData("basic"), src);
    ASSERT_TRUE(watch.WaitFor(true, built, 3)) << watch.Err();
    EXPECT_NE(ArticleText(base, 12).find("aucun lien"), std::string::npos);
    EXPECT_TRUE(watch.Running());
}

} // namespace
} // namespace mirelda
