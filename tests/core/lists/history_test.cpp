#include "core/lists/history.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirelda {
namespace {

// What the view does when an article becomes current: the article left gets its reading
// position, the new one goes on top. An article already current changes nothing.
struct FakeView
{
    explicit FakeView(History& h) : history(h) {}
    History& history;
    std::int32_t current = 0;
    std::int32_t firstVisible = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> shown;

    bool Show(std::int32_t article, std::int32_t position)
    {
        if (article <= 0)
            return false;
        if (article == current)
            return true;
        if (current != 0)
            history.UpdateHeadPosition(current, firstVisible);
        current = article;
        history.RecordArticle(article, 0);
        shown.emplace_back(article, position);
        firstVisible = position;
        return true;
    }
    bool Back()
    {
        return history.GoBack([this](std::int32_t a, std::int32_t p) { return Show(a, p); });
    }
};

std::vector<HistoryEntry> Entries(const History& h)
{
    std::vector<HistoryEntry> out;
    for (std::size_t i = 0; i < h.size(); ++i)
        out.push_back(*h.EntryAt(i));
    return out;
}

TEST(History, showingABA_thenBack_showsBAndLeavesAB)
{
    History h;
    FakeView view{h};
    view.Show(10, 0);
    view.firstVisible = 111;
    view.Show(20, 0);
    view.firstVisible = 222;
    view.Show(10, 0);
    EXPECT_EQ(Entries(h), (std::vector<HistoryEntry>{{10, 0}, {20, 222}, {10, 111}}));
    EXPECT_TRUE(h.CanGoBack());

    view.firstVisible = 333;
    EXPECT_TRUE(view.Back());
    EXPECT_EQ(view.current, 20);
    EXPECT_EQ(view.shown.back(), std::make_pair(20, 222)); // back at the line the user left
    // Leaving A updates the head, which is by then the older A entry: it keeps the place
    // where A was last read.
    EXPECT_EQ(Entries(h), (std::vector<HistoryEntry>{{20, 0}, {10, 333}}));
}

TEST(History, goBackThroughFiveArticles_restoresEachPosition)
{
    History h;
    FakeView view{h};
    for (int a = 1; a <= 5; ++a) {
        view.Show(a, 0);
        view.firstVisible = a * 100;
    }
    for (int a = 4; a >= 1; --a) {
        ASSERT_TRUE(view.Back());
        EXPECT_EQ(view.shown.back(), std::make_pair(a, a * 100));
        view.firstVisible = a * 100;
    }
    EXPECT_EQ(h.size(), 1u);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(view.Back());
    EXPECT_EQ(view.current, 1);
}

TEST(History, homeWhileHomeIsCurrent_addsNoEntry)
{
    History h;
    FakeView view{h};
    view.Show(1, 0);
    EXPECT_TRUE(view.Show(1, 0));
    EXPECT_EQ(h.size(), 1u);
    EXPECT_FALSE(h.CanGoBack());
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

TEST(History, observerMirrorsEveryChange)
{
    History h;
    std::vector<std::int32_t> lines; // the history window, first line first
    h.SetObserver(
        {[&](std::int32_t a) { lines.insert(lines.begin(), a); }, [&] { lines.erase(lines.begin()); }});
    FakeView view{h};
    view.Show(3, 0);
    view.Show(4, 0);
    view.Show(5, 0);
    EXPECT_EQ(lines, (std::vector<std::int32_t>{5, 4, 3}));
    view.Back();
    EXPECT_EQ(lines, (std::vector<std::int32_t>{4, 3}));
    h.ClearHistory();
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(h.empty());
}

TEST(History, goBackWhenShowingFails_keepsHeadOnTheArticleOnScreen)
{
    History h;
    std::vector<std::int32_t> lines;
    h.SetObserver(
        {[&](std::int32_t a) { lines.insert(lines.begin(), a); }, [&] { lines.erase(lines.begin()); }});
    h.RecordArticle(7, 0);
    h.UpdateHeadPosition(7, 70);
    h.RecordArticle(8, 0);
    EXPECT_FALSE(h.GoBack([](std::int32_t, std::int32_t) { return false; }));
    EXPECT_EQ(Entries(h), (std::vector<HistoryEntry>{{8, 0}, {7, 70}}));
    EXPECT_EQ(lines, (std::vector<std::int32_t>{8, 7}));
}

} // namespace
} // namespace mirelda
