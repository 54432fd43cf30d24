#include "core/view/window_placement.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(PlaceAwayFrom, aboveBelowOrStay)
{
    const PixelRect window{100, 100, 420, 300}; // 320 x 200
    // Not covered: stays. The right and bottom edges are outside the window.
    EXPECT_EQ(PlaceAwayFrom(window, {50, 150}, 1000), (PixelPoint{100, 100}));
    EXPECT_EQ(PlaceAwayFrom(window, {420, 250}, 1000), (PixelPoint{100, 100}));
    EXPECT_EQ(PlaceAwayFrom(window, {200, 300}, 1000), (PixelPoint{100, 100}));
    // Room above the point (the window is shorter than the point is low): bottom edge 20
    // pixels above it.
    EXPECT_EQ(PlaceAwayFrom(window, {200, 250}, 1000), (PixelPoint{100, 30}));
    EXPECT_EQ(PlaceAwayFrom(window, {419, 299}, 1000), (PixelPoint{100, 79}));
    // No room above, room below: top edge 40 pixels below.
    const PixelRect tall{100, 100, 420, 500};
    EXPECT_EQ(PlaceAwayFrom(tall, {200, 300}, 1000), (PixelPoint{100, 340}));
    // Neither: stays.
    EXPECT_EQ(PlaceAwayFrom(tall, {200, 300}, 700), (PixelPoint{100, 100}));
    EXPECT_EQ(PlaceAwayFrom(tall, {200, 300}, 650), (PixelPoint{100, 100}));
}

} // namespace
} // namespace mirelda
