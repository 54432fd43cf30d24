#include "core/richtext/units.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

// A damaged length (an indent of a billion twips) is laid out at the bound, on screen and at a
// printer's resolution alike; ordinary lengths convert exactly.
TEST(Units, lengthsConvertWithinFiftyTwoInchesEitherWay)
{
    EXPECT_EQ(Pixels(1440), 96);
    EXPECT_EQ(Pixels(1e9), kMaxLength);
    EXPECT_EQ(Pixels(-1e9), -kMaxLength);
    EXPECT_EQ(DevicePixels(720, 600), 300);
    EXPECT_EQ(DevicePixels(1e9, 600), 52 * 600);
    EXPECT_EQ(DevicePixels(-1e9, 600), -52 * 600);
}

} // namespace
} // namespace mirelda
