#include "core/view/link_focus.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace mirelda {
namespace {

// A 20-character text whose [5, 8) is hidden: document 0..16 (17 characters).
PositionMap TwentyWithHidden()
{
    PositionMap map;
    map.addShown(0, 0, 5);
    map.addShown(8, 5, 12);
    map.finish(20, 17);
    return map;
}

TEST(LinkFocus, textOrderWrappingPastLinksTheDocumentDoesNotShow)
{
    const PositionMap map = TwentyWithHidden();
    // File order is not text order; [5, 7] is hidden, [19, 19] only the final mark.
    const std::vector<LinkRecord> links = {{10, 12, 1, 0}, {0, 2, 2, 0},   {5, 7, 3, 0},
                                           {10, 11, 4, 0}, {19, 19, 5, 0}, {3, 2, 6, 0}};
    std::vector<int> forward;
    int at = -1;
    for (int i = 0; i < 4; ++i)
        forward.push_back(at = NextFocusedLink(links, map, at, true));
    EXPECT_EQ(forward, (std::vector<int>{1, 3, 0, 1}));
    std::vector<int> backward;
    at = -1;
    for (int i = 0; i < 4; ++i)
        backward.push_back(at = NextFocusedLink(links, map, at, false));
    EXPECT_EQ(backward, (std::vector<int>{0, 3, 1, 0}));
    // From a link that cannot have the focus: the first or the last one.
    EXPECT_EQ(NextFocusedLink(links, map, 2, true), 1);
    EXPECT_EQ(NextFocusedLink(links, map, 2, false), 0);
}

TEST(LinkFocus, noneWhenNoLinkIsShown)
{
    const PositionMap map = TwentyWithHidden();
    EXPECT_EQ(NextFocusedLink({}, map, -1, true), -1);
    EXPECT_EQ(NextFocusedLink({{5, 7, 1, 0}}, map, -1, true), -1);
    EXPECT_EQ(NextFocusedLink({{0, 2, 1, 0}}, PositionMap(), -1, true), -1);
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(LinkEnd({kMax, kMax, 1, 0}), kMax);
    EXPECT_EQ(LinkEnd({3, 4, 1, 0}), 5);
}

} // namespace
} // namespace mirelda
