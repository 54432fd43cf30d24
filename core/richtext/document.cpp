#include "core/richtext/document.h"

#include <algorithm>

namespace mirelda {

std::vector<TextSpan> HiddenSpans(const RichDocument& document) {
    std::vector<TextSpan> spans;
    for (const CharRun& run : document.runs) {
        if (!run.format.hidden || run.length <= 0) continue;
        if (!spans.empty() && spans.back().first + spans.back().length == run.start) {
            spans.back().length += run.length;
        } else {
            spans.push_back({run.start, run.length});
        }
    }
    return spans;
}

const CharRun* RunAt(const RichDocument& document, std::int32_t position) {
    const auto& runs = document.runs;
    auto it = std::upper_bound(runs.begin(), runs.end(), position,
                               [](std::int32_t p, const CharRun& r) { return p < r.start; });
    if (it == runs.begin()) return nullptr;
    --it;
    return position < it->start + it->length ? &*it : nullptr;
}

}  // namespace mirelda
