#include "core/lists/history.h"
#include "core/lists/navigator.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace mirelda {
namespace {

using test::TempDir;

std::string Rtf(const std::string& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 " + body + "}";
}

// Stands for the windows: a view whose reading position the test sets (and a scroll sets),
// and a log of every request in order.
class FakeHost : public NavigationHost
{
  public:
    std::int32_t firstVisible = 0;
    mutable std::vector<std::string> log;
    std::u16string caption;
    std::vector<std::pair<std::int32_t, std::int32_t>> shown; // article, position scrolled to
    LinkTable links;

    std::int32_t FirstVisiblePosition() const override
    {
        log.push_back("read position");
        return firstVisible;
    }
    void ShowArticleText(std::string rtf) override
    {
        log.push_back("text " + rtf.substr(rtf.rfind(' ') + 1));
        firstVisible = 0;
    }
    void ScrollToPosition(std::int32_t position) override
    {
        log.push_back("scroll " + std::to_string(position));
        firstVisible = position;
    }
    void ShowArticleLinks(LinkTable table) override
    {
        log.push_back("links " + std::to_string(table.records().size()));
        links = std::move(table);
    }
    void StoreArticleAnnotation(std::int32_t a) override { log.push_back("store " + std::to_string(a)); }
    void ShowArticleAnnotation(std::int32_t a) override { log.push_back("annotation " + std::to_string(a)); }
    std::u16string HelpTitle() const override { return u"Aide"; }
    void SetCaption(const std::u16string& text) override
    {
        log.push_back("caption");
        caption = text;
    }
    void ShowPopup(const std::string& title, const std::string&) override { log.push_back("popup " + title); }
    void ShowMissingArticle(std::int32_t n) override { log.push_back("missing " + std::to_string(n)); }
    void ReportFileError(const FileError& e) override
    {
        log.push_back("error " + std::filesystem::path(e.path).extension().string());
    }
    void BeginWait() override { log.push_back("wait"); }
    void EndWait() override { log.push_back("end wait"); }
    void ArticleShown(std::int32_t a) override
    {
        log.push_back("shown " + std::to_string(a));
        shown.emplace_back(a, firstVisible);
    }
};

// Articles 1 to 5 and 10, 20 ("text N", article 1 with two links), pop-up 9.
class Navigation : public ::testing::Test
{
  protected:
    Navigation()
    {
        std::vector<ArticleSource> articles{
            {1, "G\xE9n\xE9ralit\xE9s", Rtf("text1"), {{0, 1, 2, 0}, {2, 3, 9, 0}}},
            {9, "#POPUP:Glossaire", Rtf("bulle"), {}}};
        for (int n : {2, 3, 4, 5, 10, 20})
            articles.push_back({n, "Article " + std::to_string(n), Rtf("text" + std::to_string(n)), {}});
        EXPECT_TRUE(WriteArticleFiles(dir / "T.PGH", dir / "T.PGD", dir / "T.PGL", articles).ok());
        auto loaded = LoadArticleIndex(dir / "T.PGH");
        EXPECT_TRUE(loaded.ok());
        index = std::move(loaded.value());
    }

    bool Show(std::int32_t article) { return nav.ShowArticle(article, 0); }
    std::vector<HistoryEntry> Entries() const
    {
        std::vector<HistoryEntry> out;
        for (std::size_t i = 0; i < nav.history().size(); ++i)
            out.push_back(*nav.history().EntryAt(i));
        return out;
    }

    TempDir dir;
    ArticleIndex index;
    FakeHost host;
    Navigator nav{host, index, dir / "T.PGD", dir / "T.PGL"};
};

TEST_F(Navigation, leavingAndEntering_runsInOrderInsideTheBusyCursor)
{
    ASSERT_TRUE(Show(1));
    EXPECT_EQ(host.log,
              (std::vector<std::string>{"wait", "end wait", "wait", "store 0", "annotation 1", "caption",
                                        "text text1}", "links 2", "shown 1", "end wait"}));
    EXPECT_EQ(host.caption, u"Aide - G\u00e9n\u00e9ralit\u00e9s");
    EXPECT_EQ(nav.currentTitle(), "G\xE9n\xE9ralit\xE9s");
    EXPECT_EQ(host.links.records()[1].target, 9);

    host.log.clear();
    host.firstVisible = 77;
    ASSERT_TRUE(nav.ShowArticle(2, 40));
    // The place the user left is read before anything of the new article is shown.
    EXPECT_EQ(host.log, (std::vector<std::string>{"wait", "end wait", "wait", "store 1", "annotation 2",
                                                  "read position", "caption", "text text2}", "scroll 40",
                                                  "links 0", "shown 2", "end wait"}));
    EXPECT_EQ(Entries(), (std::vector<HistoryEntry>{{2, 0}, {1, 77}}));
    EXPECT_EQ(nav.currentArticle(), 2);
    EXPECT_EQ(nav.currentEntry().number, 2);
}

TEST_F(Navigation, refusalsAndPopups_leaveTheCurrentArticleAlone)
{
    ASSERT_TRUE(Show(1));
    host.log.clear();
    host.firstVisible = 5;
    EXPECT_FALSE(Show(0));
    EXPECT_FALSE(Show(-3));
    EXPECT_TRUE(nav.ShowArticle(1, 900)); // already current: nothing read, nothing moves
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(host.firstVisible, 5);

    EXPECT_FALSE(Show(4711));
    EXPECT_EQ(host.log, std::vector<std::string>{"missing 4711"});
    host.log.clear();
    EXPECT_TRUE(Show(9));
    EXPECT_EQ(host.log, (std::vector<std::string>{"wait", "end wait", "popup #POPUP:Glossaire"}));
    EXPECT_EQ(nav.currentEntry().number, 9); // looked up last, though not current
    EXPECT_EQ(nav.currentArticle(), 1);
    EXPECT_EQ(nav.history().size(), 1u);
    EXPECT_TRUE(Show(1));
    EXPECT_EQ(host.log.size(), 3u);
}

TEST_F(Navigation, fileErrors_linksMissingStillShows_dataMissingChangesNothing)
{
    ASSERT_TRUE(Show(1));
    std::filesystem::remove(dir / "T.PGL");
    host.log.clear();
    EXPECT_TRUE(Show(2));
    EXPECT_EQ(std::vector<std::string>(host.log.end() - 4, host.log.end()),
              (std::vector<std::string>{"links 0", "error .PGL", "shown 2", "end wait"}));
    EXPECT_TRUE(host.links.empty());

    std::filesystem::remove(dir / "T.PGD");
    host.log.clear();
    EXPECT_FALSE(Show(3));
    EXPECT_EQ(host.log, (std::vector<std::string>{"wait", "error .PGD", "end wait"}));
    EXPECT_EQ(nav.currentArticle(), 2);
    EXPECT_EQ(Entries(), (std::vector<HistoryEntry>{{2, 0}, {1, 0}}));
}

TEST_F(Navigation, showingABA_thenBack_showsBAndLeavesAB)
{
    Show(10);
    host.firstVisible = 111;
    Show(20);
    host.firstVisible = 222;
    Show(10);
    EXPECT_EQ(Entries(), (std::vector<HistoryEntry>{{10, 0}, {20, 222}, {10, 111}}));
    EXPECT_TRUE(nav.history().CanGoBack());

    host.firstVisible = 333;
    EXPECT_TRUE(nav.GoBack());
    EXPECT_EQ(nav.currentArticle(), 20);
    EXPECT_EQ(host.shown.back(), std::make_pair(20, 222)); // back at the line the user left
    // Leaving A updates the head, which is by then the older A entry: it keeps the place
    // where A was last read.
    EXPECT_EQ(Entries(), (std::vector<HistoryEntry>{{20, 0}, {10, 333}}));
}

TEST_F(Navigation, goBackThroughFiveArticles_restoresEachPosition)
{
    for (int a = 1; a <= 5; ++a) {
        Show(a);
        host.firstVisible = a * 100;
    }
    for (int a = 4; a >= 1; --a) {
        ASSERT_TRUE(nav.GoBack());
        EXPECT_EQ(host.shown.back(), std::make_pair(a, a * 100));
    }
    EXPECT_EQ(nav.history().size(), 1u);
    EXPECT_FALSE(nav.history().CanGoBack());
    EXPECT_FALSE(nav.GoBack());
    EXPECT_EQ(nav.currentArticle(), 1);
}

TEST_F(Navigation, homeWhileHomeIsCurrent_addsNoEntry)
{
    Show(1);
    EXPECT_TRUE(Show(1));
    EXPECT_EQ(nav.history().size(), 1u);
    EXPECT_FALSE(nav.history().CanGoBack());
}

TEST_F(Navigation, observerMirrorsEveryChange)
{
    std::vector<std::int32_t> lines; // the history window, first line first
    nav.history().SetObserver(
        {[&](std::int32_t a) { lines.insert(lines.begin(), a); }, [&] { lines.erase(lines.begin()); }});
    Show(3);
    Show(4);
    Show(5);
    EXPECT_EQ(lines, (std::vector<std::int32_t>{5, 4, 3}));
    nav.GoBack();
    EXPECT_EQ(lines, (std::vector<std::int32_t>{4, 3}));
    nav.history().ClearHistory();
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(nav.history().empty());
}

TEST_F(Navigation, goBackWhenTheArticleIsGone_keepsHeadOnTheArticleOnScreen)
{
    std::vector<std::int32_t> lines;
    nav.history().SetObserver(
        {[&](std::int32_t a) { lines.insert(lines.begin(), a); }, [&] { lines.erase(lines.begin()); }});
    Show(3);
    host.firstVisible = 70;
    Show(4);
    std::filesystem::remove(dir / "T.PGD");
    EXPECT_FALSE(nav.GoBack());
    EXPECT_EQ(Entries(), (std::vector<HistoryEntry>{{4, 0}, {3, 70}}));
    EXPECT_EQ(lines, (std::vector<std::int32_t>{4, 3}));
    EXPECT_EQ(nav.currentArticle(), 4);
}

TEST(History, updateHeadPosition_onlyForTheHeadArticle)
{
    History h;
    EXPECT_FALSE(h.UpdateHeadPosition(5, 9));
    h.RecordArticle(5, 0);
    h.RecordArticle(6, 0);
    EXPECT_FALSE(h.UpdateHeadPosition(5, 9));
    EXPECT_TRUE(h.UpdateHeadPosition(6, 9));
    EXPECT_EQ(*h.EntryAt(0), (HistoryEntry{6, 9}));
    EXPECT_EQ(*h.EntryAt(1), (HistoryEntry{5, 0}));
    EXPECT_EQ(h.EntryAt(2), nullptr);
}

} // namespace
} // namespace mirelda
