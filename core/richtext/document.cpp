#include "core/richtext/document.h"

#include <algorithm>
#include <string>

namespace mirelda {

std::vector<TextSpan> HiddenSpans(const RichDocument& document)
{
    std::vector<TextSpan> spans;
    for (const CharRun& run : document.runs) {
        if (!run.format.hidden || run.length <= 0)
            continue;
        if (!spans.empty() && spans.back().first + spans.back().length == run.start) {
            spans.back().length += run.length;
        } else {
            spans.push_back({run.start, run.length});
        }
    }
    return spans;
}

const CharRun* RunAt(const RichDocument& document, std::int32_t position)
{
    const auto& runs = document.runs;
    auto it = std::upper_bound(runs.begin(), runs.end(), position,
                               [](std::int32_t p, const CharRun& r) { return p < r.start; });
    if (it == runs.begin())
        return nullptr;
    --it;
    return position < it->start + it->length ? &*it : nullptr;
}

} // namespace mirelda

namespace mirelda {

std::string CheckDocument(const RichDocument& d)
{
    const auto size = static_cast<std::int64_t>(d.text.size());
    if (size == 0 || d.text.back() != kParagraphMark)
        return "text does not end with a paragraph mark";

    std::int64_t next = 0;
    for (std::size_t i = 0; i < d.runs.size(); ++i) {
        const CharRun& r = d.runs[i];
        if (r.start != next || r.length <= 0)
            return "runs do not tile the text at run " + std::to_string(i);
        if (i > 0 && d.runs[i - 1].format == r.format)
            return "runs " + std::to_string(i) + " and the one before share a format";
        const CharFormat& f = r.format;
        if (f.font < -1 || f.font >= static_cast<std::int64_t>(d.fonts.size()))
            return "run font out of range";
        const auto colors = static_cast<std::int64_t>(d.colors.size());
        if (f.foreground < -1 || f.foreground >= colors || f.background < -1 || f.background >= colors)
            return "run colour out of range";
        next += r.length;
    }
    if (next != size)
        return "runs do not cover the text";

    next = 0;
    for (std::size_t i = 0; i < d.paragraphs.size(); ++i) {
        const RichParagraph& p = d.paragraphs[i];
        if (p.start != next || p.mark < p.start || p.mark >= size)
            return "paragraphs do not tile the text at " + std::to_string(i);
        if (d.text[p.mark] != kParagraphMark)
            return "paragraph " + std::to_string(i) + " has no mark at its end";
        next = p.mark + 1;
    }
    if (next != size)
        return "paragraphs do not cover the text";
    if (std::count(d.text.begin(), d.text.end(), kParagraphMark) !=
        static_cast<std::ptrdiff_t>(d.paragraphs.size()))
        return "a paragraph mark belongs to no paragraph";

    std::int64_t previous = -1;
    for (const RichPicture& pic : d.pictures) {
        if (pic.position <= previous || pic.position >= size || d.text[pic.position] != kObjectMark)
            return "picture at " + std::to_string(pic.position) + " has no object mark";
        if (pic.kind == PictureKind::Other && !pic.bytes.empty())
            return "placeholder picture with data";
        previous = pic.position;
    }
    if (std::count(d.text.begin(), d.text.end(), kObjectMark) !=
        static_cast<std::ptrdiff_t>(d.pictures.size()))
        return "an object mark has no picture";

    previous = -1;
    for (const RichHyperlink& link : d.hyperlinks) {
        if (link.first < 0 || link.last < link.first || link.last >= size || link.first < previous)
            return "hyperlink range out of order or out of the text";
        previous = link.first;
    }
    if (d.defaultFont < -1 || d.defaultFont >= static_cast<std::int64_t>(d.fonts.size()))
        return "default font out of range";
    for (const RichParagraph& p : d.paragraphs) {
        if (p.format.list.font < -1 || p.format.list.font >= static_cast<std::int64_t>(d.fonts.size()))
            return "list marker font out of range";
    }
    return {};
}

} // namespace mirelda
