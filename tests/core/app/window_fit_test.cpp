#include "core/app/recent_help_sets.h"
#include "core/app/window_fit.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(WindowFit, firstStartFitsTheScreenAtAnyScale)
{
    EXPECT_EQ(FirstWindowRect({0, 0, 1920, 1040}), (WindowRect{560, 220, 800, 600}));
    // A 1000-pixel-high screen at a scale of 2 is 500 pixels high for the window.
    EXPECT_EQ(FirstWindowRect({0, 0, 960, 500}), (WindowRect{80, 25, 800, 450}));
    EXPECT_EQ(FirstWindowRect({1920, 30, 400, 300}), (WindowRect{1940, 45, 360, 270}));
    EXPECT_EQ(FirstWindowRect({}), (WindowRect{0, 0, 800, 600}));
}

TEST(WindowFit, savedPlaceKeptWhenItFits_elseShrunkAndMovedInside)
{
    const WindowRect screen{0, 0, 1920, 1040};
    EXPECT_EQ(FitInside({100, 50, 1000, 700}, screen), (WindowRect{100, 50, 1000, 700}));
    EXPECT_EQ(FitInside({1500, 900, 1000, 700}, screen), (WindowRect{920, 340, 1000, 700}));
    EXPECT_EQ(FitInside({-300, -20, 800, 600}, screen), (WindowRect{0, 0, 800, 600}));
    // Saved on a 1× screen, opened at 2×: the whole window inside the smaller area.
    EXPECT_EQ(FitInside({100, 50, 1000, 700}, {0, 0, 960, 500}), (WindowRect{0, 0, 960, 500}));
    // A second screen left of the first, a panel at its top.
    EXPECT_EQ(FitInside({-1000, 0, 800, 600}, {-1280, 28, 1280, 996}), (WindowRect{-1000, 28, 800, 600}));
    // Nothing usable saved: as a first start.
    EXPECT_EQ(FitInside({10, 10, 0, 600}, screen), FirstWindowRect(screen));
    EXPECT_EQ(FitInside({2147483000, 2147483000, 2147483647, 2147483647}, screen), screen);
}

TEST(RecentHelpSets, newestFirstOnceAtMostEight_goneOnesDropped)
{
    std::vector<std::string> list;
    for (const char* set : {"/a/A", "/b/B", "/a/A", "", "/c/C"})
        list = AddRecentHelpSet(list, set);
    EXPECT_EQ(list, (std::vector<std::string>{"/c/C", "/a/A", "/b/B"}));
    for (int i = 0; i < 10; ++i)
        list = AddRecentHelpSet(list, "/n/" + std::to_string(i));
    EXPECT_EQ(list.size(), kMaxRecentHelpSets);
    EXPECT_EQ(list.front(), "/n/9");
    EXPECT_EQ(list.back(), "/n/2");
    const auto even = [](const std::string& entry) { return (entry.back() - '0') % 2 == 0; };
    EXPECT_EQ(ExistingRecentHelpSets({"/n/1", "/n/2", "", "/n/2", "/n/4"}, even),
              (std::vector<std::string>{"/n/2", "/n/4"}));
}

} // namespace
} // namespace mirelda
