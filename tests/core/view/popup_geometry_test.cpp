#include "core/view/popup_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirelda {
namespace {

const PixelRect kScreen{0, 0, 1000, 800};

TEST(PopupSizeForText, narrowsBy25UntilTextIsAThirdOfTheWidthHigh)
{
    // A text of 60 000 square pixels: its height at a width w is 60000 / w.
    std::vector<std::int32_t> tried;
    auto height = [&](std::int32_t w) {
        tried.push_back(w);
        return 60000 / w;
    };
    PixelSize size = PopupSizeForText(kScreen, height);
    // 975/3 = 325 > 61 ... the first width with w/3 <= 60000/w is 425 (141 <= 141).
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.front(), 975);
    EXPECT_EQ(tried.back(), 425);
    EXPECT_EQ(tried.size(), 23u);
    EXPECT_EQ(size, (PixelSize{445, 141 + 30}));
}

TEST(PopupSizeForText, tallTextKeepsTheFirstWidth_shortTextStopsAtOneStep)
{
    EXPECT_EQ(PopupSizeForText(kScreen, [](std::int32_t) { return 400; }), (PixelSize{995, 430}));
    std::int32_t calls = 0;
    PixelSize empty = PopupSizeForText(kScreen, [&](std::int32_t) {
        ++calls;
        return 0;
    });
    EXPECT_EQ(empty, (PixelSize{25 + 20, 30}));
    EXPECT_EQ(calls, 39); // 975 down to 25, never a width of zero or less
    EXPECT_EQ(PopupSizeForText({0, 0, 10, 10}, [](std::int32_t) { return -5; }), (PixelSize{45, 30}));
}

TEST(PopupPositionNearPoint, beforeAnyClick_fitsBelowAt12_12)
{
    PopupPlacement p = PopupPositionNearPoint({0, 0}, kScreen, {200, 100});
    EXPECT_EQ(p.region, PopupRegion::Below);
    EXPECT_EQ(p.position, (PixelPoint{12, 12}));
}

TEST(PopupPositionNearPoint, below_centredOnClickAndKeptInside)
{
    EXPECT_EQ(PopupPositionNearPoint({500, 300}, kScreen, {200, 100}).position, (PixelPoint{400, 312}));
    // Would cross the right edge: 12 pixels from it.
    EXPECT_EQ(PopupPositionNearPoint({950, 300}, kScreen, {200, 100}).position, (PixelPoint{788, 312}));
    // Odd width: the half truncates.
    EXPECT_EQ(PopupPositionNearPoint({500, 300}, kScreen, {201, 100}).position, (PixelPoint{400, 312}));
}

TEST(PopupPositionNearPoint, nearTheBottom_goesLeftCentredAndAboveTheBottomEdge)
{
    PopupPlacement p = PopupPositionNearPoint({700, 760}, kScreen, {300, 200});
    EXPECT_EQ(p.region, PopupRegion::Left);
    EXPECT_EQ(p.position, (PixelPoint{700 - 300 - 12, 800 - 200 - 12}));
    p = PopupPositionNearPoint({700, 650}, {0, 0, 1000, 800}, {300, 200});
    EXPECT_EQ(p.region, PopupRegion::Left);
    EXPECT_EQ(p.position, (PixelPoint{388, 550}));              // centred on the click: there is room
    p = PopupPositionNearPoint({700, 700}, kScreen, {300, 90}); // 88 pixels below: too few
    EXPECT_EQ(p.region, PopupRegion::Left);
    EXPECT_EQ(p.position, (PixelPoint{388, 655}));
}

TEST(PopupPositionNearPoint, nearTheLeftEdge_tooTallBelowTooWideLeft_goesRight)
{
    PopupPlacement p = PopupPositionNearPoint({50, 500}, kScreen, {400, 350});
    EXPECT_EQ(p.region, PopupRegion::Right);
    EXPECT_EQ(p.position, (PixelPoint{62, 325}));
    // Near the top the vertical centring is pushed down to 12.
    EXPECT_EQ(PopupPositionNearPoint({50, 100}, kScreen, {400, 750}).position, (PixelPoint{62, 12}));
}

TEST(PopupPositionNearPoint, wideButShort_fitsOnlyAbove)
{
    PopupPlacement p = PopupPositionNearPoint({500, 700}, kScreen, {900, 200});
    EXPECT_EQ(p.region, PopupRegion::Above);
    EXPECT_EQ(p.position, (PixelPoint{50, 700 - 200 - 12}));
}

TEST(PopupPositionNearPoint, fitsNowhere_centredOnScreen)
{
    PopupPlacement p = PopupPositionNearPoint({500, 400}, kScreen, {900, 600});
    EXPECT_EQ(p.region, PopupRegion::Centred);
    EXPECT_EQ(p.position, (PixelPoint{50, 100}));
    // Larger than the screen: the halves are negative and truncate toward zero.
    EXPECT_EQ(PopupPositionNearPoint({500, 400}, kScreen, {1001, 803}).position, (PixelPoint{0, -1}));
}

TEST(PopupPositionNearPoint, strictFit_equalSizeDoesNotFit)
{
    // The region below the click at y = 688 is exactly 100 high: not strictly more.
    EXPECT_NE(PopupPositionNearPoint({500, 688}, kScreen, {200, 100}).region, PopupRegion::Below);
    EXPECT_EQ(PopupPositionNearPoint({500, 687}, kScreen, {200, 100}).region, PopupRegion::Below);
}

TEST(PopupPositionNearPoint, secondScreen_regionsAndMarginsFollowItsEdges)
{
    const PixelRect right{1000, 0, 2000, 800};
    EXPECT_EQ(PopupPositionNearPoint({1010, 100}, right, {300, 100}).position, (PixelPoint{1012, 112}));
    PopupPlacement p = PopupPositionNearPoint({1500, 400}, right, {900, 600});
    EXPECT_EQ(p.region, PopupRegion::Centred);
    EXPECT_EQ(p.position, (PixelPoint{1050, 100}));
}

} // namespace
} // namespace mirelda
