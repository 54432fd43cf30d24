#include "core/view/bar_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace mirelda {
namespace {

TEST(BarSizes, treeBarIsAFractionOfTheClientWidth_atLeast10)
{
    EXPECT_EQ(TreeBarWidth(800, 0.25f), 200);
    EXPECT_EQ(TreeBarWidth(801, 0.25f), 200); // truncated
    EXPECT_EQ(TreeBarWidth(40, 0.25f), 10);
    EXPECT_EQ(TreeBarWidth(44, 0.25f), 11);
    EXPECT_EQ(TreeBarWidth(0, 0.25f), 10);
    EXPECT_EQ(TreeBarWidth(800, -1.0f), 10);
    EXPECT_EQ(TreeBarWidth(800, std::numeric_limits<float>::quiet_NaN()), 10);
    EXPECT_EQ(TreeBarDockedSize(800, 0.25f, 533), (PixelSize{200, 533}));
}

TEST(BarSizes, annotationBarNeverBelow46_acrossTheFrame)
{
    EXPECT_EQ(AnnotationBarHeight(46.0f), 46);
    EXPECT_EQ(AnnotationBarHeight(12.0f), 46);
    EXPECT_EQ(AnnotationBarHeight(47.9f), 47);
    EXPECT_EQ(AnnotationBarHeight(1e20f), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(AnnotationBarDockedSize(1024, 46.0f), (PixelSize{1024, 46}));
}

TEST(BarContent, treeControlLeavesRoomForTheStrip)
{
    EXPECT_EQ(TreeControlRect({150, 400}, 1, 1), (PixelRect{1, 1, 146, 399})); // 145 x 398
    EXPECT_EQ(TreeControlRect({150, 400}, 3, 2), (PixelRect{3, 2, 144, 396})); // 141 x 394: margin 2L = 6
    EXPECT_EQ(TreeControlRect({3, 1}, 1, 1), (PixelRect{1, 1, 1, 1}));         // never negative
}

TEST(BarContent, annotationEditFillsTheBarBesideTheIcon)
{
    PixelRect edit = AnnotationEditRect({600, 60}, 40);
    EXPECT_EQ(edit, (PixelRect{40, 5, 598, 58}));
    EXPECT_EQ(edit.width(), 558);
    EXPECT_EQ(edit.height(), 53);
}

TEST(SplitterStrip, placedAlongItsBarsEdge)
{
    EXPECT_EQ(SplitterStripRect(StripOrientation::Vertical, {200, 500}), (PixelRect{194, 0, 198, 500}));
    EXPECT_EQ(SplitterStripRect(StripOrientation::Horizontal, {900, 46}), (PixelRect{0, 1, 900, 5}));
}

// A frame whose client area is (100, 50)-(900, 650) on screen; the tree bar starts at y = 80,
// the annotation bar ends at y = 640.
const StripDragLimits kLimits = StripDragLimitsFor({100, 50, 900, 650}, 80, 640);

TEST(SplitterStrip, dragLimitsAndClampedOutline)
{
    EXPECT_EQ(kLimits.minX, 101);
    EXPECT_EQ(kLimits.maxX, 899);
    EXPECT_EQ(kLimits.minY, 81);
    EXPECT_EQ(kLimits.maxY, 639);
    const PixelRect treeBar{100, 80, 300, 600};
    EXPECT_EQ(StripOutlineRect(StripOrientation::Vertical, {400, 5000}, kLimits, treeBar),
              (PixelRect{399, 80, 403, 598}));
    EXPECT_EQ(StripOutlineRect(StripOrientation::Vertical, {-30, 0}, kLimits, treeBar),
              (PixelRect{100, 80, 104, 598}));
    EXPECT_EQ(StripOutlineRect(StripOrientation::Vertical, {2000, 0}, kLimits, treeBar),
              (PixelRect{898, 80, 902, 598}));
    const PixelRect annotationBar{100, 594, 900, 640};
    EXPECT_EQ(StripOutlineRect(StripOrientation::Horizontal, {0, 10}, kLimits, annotationBar),
              (PixelRect{100, 80, 898, 84}));
    EXPECT_EQ(StripOutlineRect(StripOrientation::Horizontal, {0, 900}, kLimits, annotationBar),
              (PixelRect{100, 638, 898, 642}));
}

TEST(SplitterStrip, valueOnRelease)
{
    // The middle of the 800-pixel client area: half of it.
    EXPECT_FLOAT_EQ(*StripValueOnRelease(StripOrientation::Vertical, {500, 300}, kLimits), 0.5f);
    EXPECT_EQ(TreeBarWidth(800, *StripValueOnRelease(StripOrientation::Vertical, {500, 300}, kLimits)), 400);
    // At or past the left edge: a 10-pixel bar.
    EXPECT_EQ(TreeBarWidth(800, *StripValueOnRelease(StripOrientation::Vertical, {0, 300}, kLimits)), 10);
    // Past the right edge: no wider than where the outline stopped.
    EXPECT_FLOAT_EQ(*StripValueOnRelease(StripOrientation::Vertical, {5000, 300}, kLimits), 799.0f / 800.0f);
    // Horizontal: pixels from the mouse down to the annotation bar's bottom.
    EXPECT_FLOAT_EQ(*StripValueOnRelease(StripOrientation::Horizontal, {0, 540}, kLimits), 100.0f);
    EXPECT_EQ(AnnotationBarHeight(*StripValueOnRelease(StripOrientation::Horizontal, {0, 630}, kLimits)), 46);
    EXPECT_EQ(AnnotationBarHeight(*StripValueOnRelease(StripOrientation::Horizontal, {0, -100}, kLimits)),
              559);
}

TEST(SplitterStrip, emptyDragRange_changesNothing)
{
    const StripDragLimits collapsed = StripDragLimitsFor({100, 50, 98, 650}, 500, 480);
    EXPECT_FALSE(StripValueOnRelease(StripOrientation::Vertical, {100, 0}, collapsed));
    EXPECT_FALSE(StripValueOnRelease(StripOrientation::Horizontal, {0, 490}, collapsed));
    // A zero-width client area still has a span of 2... of one pixel less: degenerate too.
    EXPECT_FALSE(
        StripValueOnRelease(StripOrientation::Vertical, {0, 0}, StripDragLimitsFor({0, 0, -1, 0}, 0, 0)));
}

} // namespace
} // namespace mirelda
