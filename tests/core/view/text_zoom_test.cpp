#include "core/view/text_zoom.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace mirelda {
namespace {

TEST(TextZoom, stepsUpAndDownThroughEverySizeAndStopsAtTheBounds)
{
    std::vector<int> up{100};
    while (up.back() != StepTextZoom(up.back(), 1))
        up.push_back(StepTextZoom(up.back(), 1));
    EXPECT_EQ(up, (std::vector<int>{100, 110, 125, 150, 175, 200, 250, 300}));
    std::vector<int> down{100};
    while (down.back() != StepTextZoom(down.back(), -1))
        down.push_back(StepTextZoom(down.back(), -1));
    EXPECT_EQ(down, (std::vector<int>{100, 90, 80, 67, 50}));
    EXPECT_EQ(StepTextZoom(250, 0), 100);
    // Between two steps: the neighbour on the side asked for.
    EXPECT_EQ(StepTextZoom(105, 1), 110);
    EXPECT_EQ(StepTextZoom(105, -1), 100);
    EXPECT_EQ(StepTextZoom(INT_MAX, 1), 300);
    EXPECT_EQ(StepTextZoom(INT_MIN, -1), 50);
}

TEST(TextZoom, storedSizeSnapsToAStepOrFallsBackToNormal)
{
    EXPECT_EQ(ValidTextZoom(150), 150);
    EXPECT_EQ(ValidTextZoom(68), 67);
    EXPECT_EQ(ValidTextZoom(299), 300);
    EXPECT_EQ(ValidTextZoom(49), 100);
    EXPECT_EQ(ValidTextZoom(301), 100);
    EXPECT_EQ(ValidTextZoom(0), 100); // what an unreadable setting reads as
}

} // namespace
} // namespace mirelda
