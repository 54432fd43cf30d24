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

bool ShapeDrawable(const RichShape& shape)
{
    if (!shape.picture.empty() && shape.picture.front().kind != PictureKind::Other)
        return true;
    if (!shape.text.empty())
        return true;
    return std::any_of(shape.children.begin(), shape.children.end(), ShapeDrawable);
}

std::vector<TextSpan> ReplacedSpans(const RichDocument& document)
{
    std::vector<TextSpan> spans;
    // The final mark stays: it is the view's own end.
    const auto last = static_cast<std::int32_t>(document.text.size()) - 1;
    for (const RichShape& shape : document.shapes) {
        if (!ShapeDrawable(shape))
            continue;
        const std::int32_t first = std::max(shape.resultFirst, 0);
        const std::int32_t end = std::min(shape.resultFirst + shape.resultLength, last);
        if (end <= first)
            continue;
        if (!spans.empty() && spans.back().first + spans.back().length >= first) {
            spans.back().length = std::max(spans.back().length, end - spans.back().first);
        } else {
            spans.push_back({first, end - first});
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

namespace {

bool ColorInRange(const RichDocument& d, std::int32_t index)
{
    return index >= -1 && index < static_cast<std::int64_t>(d.colors.size());
}

bool BorderInRange(const RichDocument& d, const CellBorder& b)
{
    return ColorInRange(d, b.color) && b.width >= 0;
}

// Each table-row paragraph has its row, in order; separators are tabs inside it.
std::string CheckTableRows(const RichDocument& d)
{
    std::size_t next = 0;
    for (const RichParagraph& p : d.paragraphs) {
        if (!p.format.tableRow)
            continue;
        if (next >= d.tableRows.size())
            return "table-row paragraph without its row";
        const RichTableRow& row = d.tableRows[next++];
        if (row.start != p.start || row.mark != p.mark)
            return "table row does not match its paragraph";
        std::int32_t previous = row.start - 1;
        for (std::int32_t s : row.separators) {
            if (s <= previous || s >= row.mark || d.text[static_cast<std::size_t>(s)] != kTab)
                return "cell separator out of its row or not a tab";
            previous = s;
        }
        previous = row.start - 1;
        for (const CellParagraphBreak& b : row.paragraphBreaks) {
            if (b.position <= previous || b.position >= row.mark ||
                d.text[static_cast<std::size_t>(b.position)] != kLineBreak)
                return "cell paragraph break out of its row or not a line break";
            previous = b.position;
        }
        if (row.cellAlignments.size() > row.separators.size() + 1)
            return "more cell alignments than cells";
        for (const TableCell& c : row.cells) {
            if (!ColorInRange(d, c.background) || !ColorInRange(d, c.pattern) || c.shading < 0 ||
                c.shading > 10000 || !BorderInRange(d, c.top) || !BorderInRange(d, c.left) ||
                !BorderInRange(d, c.bottom) || !BorderInRange(d, c.right))
                return "table cell colour or border out of range";
        }
        for (const CellBorder* b :
             {&row.top, &row.left, &row.bottom, &row.right, &row.horizontal, &row.vertical}) {
            if (!BorderInRange(d, *b))
                return "table row border out of range";
        }
    }
    if (next != d.tableRows.size())
        return "table row without its paragraph";
    return {};
}

std::string CheckShape(const RichShape& shape, int depth)
{
    if (depth > 64)
        return "shapes nested too deep";
    if (shape.right < shape.left || shape.bottom < shape.top)
        return "shape with a negative size";
    if (shape.picture.size() > 1 || shape.text.size() > 1)
        return "shape with more than one picture or text";
    for (const RichDocument& text : shape.text)
        if (std::string problem = CheckDocument(text); !problem.empty())
            return "text box: " + problem;
    for (const RichShape& child : shape.children)
        if (std::string problem = CheckShape(child, depth + 1); !problem.empty())
            return problem;
    return {};
}

std::string CheckShapesAndNestedRows(const RichDocument& d)
{
    const auto size = static_cast<std::int64_t>(d.text.size());
    std::int64_t previous = 0;
    for (const RichShape& shape : d.shapes) {
        if (shape.anchor < previous || shape.anchor >= size)
            return "shape anchor out of order or out of the text";
        if (shape.resultFirst < 0 || shape.resultLength < 0 ||
            std::int64_t{shape.resultFirst} + shape.resultLength > size)
            return "shape fallback out of the text";
        previous = shape.anchor;
        if (std::string problem = CheckShape(shape, 0); !problem.empty())
            return problem;
    }
    previous = 0;
    for (const RichNestedRow& row : d.nestedRows) {
        if (row.depth < 2 || row.start < previous || row.end < row.start || row.end > size)
            return "nested row out of order or out of the text";
        std::int64_t last = row.start - 1;
        for (std::int32_t s : row.separators) {
            if (s <= last || s >= row.end || d.text[static_cast<std::size_t>(s)] != kTab)
                return "nested cell separator out of its row or not a tab";
            last = s;
        }
        previous = row.start;
    }
    return {};
}

} // namespace

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
        if (p.format.list.picture < -1 ||
            p.format.list.picture >= static_cast<std::int64_t>(d.listPictures.size()))
            return "list marker picture out of range";
    }
    if (std::string problem = CheckTableRows(d); !problem.empty())
        return problem;
    return CheckShapesAndNestedRows(d);
}

} // namespace mirelda
