#include "core/view/link_focus.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace mirelda {

std::int32_t LinkEnd(const LinkRecord& link)
{
    return link.last < std::numeric_limits<std::int32_t>::max() ? link.last + 1 : link.last;
}

int NextFocusedLink(const std::vector<LinkRecord>& links, const PositionMap& map, int current, bool forward)
{
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(links.size()); ++i) {
        const LinkRecord& link = links[static_cast<std::size_t>(i)];
        if (link.first <= link.last && map.showsAny(link.first, LinkEnd(link)))
            order.push_back(i);
    }
    if (order.empty())
        return -1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const LinkRecord& x = links[static_cast<std::size_t>(a)];
        const LinkRecord& y = links[static_cast<std::size_t>(b)];
        return std::pair(x.first, x.last) < std::pair(y.first, y.last);
    });
    auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end())
        return forward ? order.front() : order.back();
    if (forward)
        return ++at == order.end() ? order.front() : *at;
    return at == order.begin() ? order.back() : *(at - 1);
}

} // namespace mirelda
