#include "core/richtext/article_height.h"

#include "core/richtext/units.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace mirelda {

namespace {

constexpr double kOrdinaryLine = 32.0;           // pixels: a line of text up to about 20 pt costs nothing
constexpr double kReferenceWidth = 600.0;        // pixels: the width a line's wrapping is estimated at
constexpr double kAverageCharWidth = 0.6;        // of the font's size
constexpr double kMaxRowHeight = 1000.0;         // pixels: the view sets no taller row
constexpr double kMaxLineSpacing = 1000.0;       // nor a taller line
constexpr double kMaxPictureHeight = 8000.0;     // nor a taller picture
constexpr std::int32_t kPlainPictureTwips = 360; // a picture past the budget: one line, square

double FontPixels(std::int32_t halfPoints)
{
    return std::clamp(halfPoints, 2, 3276) / 2.0 * kScreenDpi / 72.0;
}

double LineHeight(double fontPixels, const ParagraphFormat& p)
{
    const double natural = fontPixels * 1.2;
    if (p.lineSpacing == 0)
        return natural;
    if (p.lineMultiple)
        return natural * std::clamp(std::abs(double(p.lineSpacing)) * 100.0 / 240.0, 50.0, 500.0) / 100.0;
    const double spacing = std::min(std::abs(Pixels(p.lineSpacing)), kMaxLineSpacing);
    return p.lineSpacing > 0 ? std::max(natural, spacing) : spacing;
}

double Spacing(std::int32_t before, std::int32_t after)
{
    return std::max(0.0, Pixels(before)) + std::max(0.0, Pixels(after));
}

double RowHeight(std::int32_t twips)
{
    return std::min(std::abs(Pixels(twips)), kMaxRowHeight);
}

double PictureHeight(const RichPicture& p)
{
    const double scale = std::clamp(p.scaleY, 1, 1000) / 100.0;
    double height = kMaxPictureHeight; // its own size is known only once decoded: the worst
    if (p.goalWidth > 0 && p.goalHeight > 0)
        height = TwipsToPixels(p.goalHeight) * scale;
    return std::clamp(height, 1.0, kMaxPictureHeight);
}

} // namespace

std::int32_t FirstPositionOverHeightBudget(const RichDocument& doc)
{
    const auto size = static_cast<std::int32_t>(doc.text.size());
    if (doc.paragraphs.empty())
        return size; // not a document the reader made: nothing to lay out by paragraph
    double spent = 0;
    std::size_t paragraph = 0, run = 0, row = 0, nested = 0, picture = 0, cellBreak = 0;
    for (std::int32_t p = 0; p < size; ++p) {
        while (paragraph + 1 < doc.paragraphs.size() && doc.paragraphs[paragraph].mark < p)
            ++paragraph;
        while (run + 1 < doc.runs.size() && doc.runs[run].start + doc.runs[run].length <= p)
            ++run;
        const ParagraphFormat& format = doc.paragraphs[paragraph].format;
        if (doc.paragraphs[paragraph].start == p)
            spent += Spacing(format.spaceBefore, format.spaceAfter);
        for (; row < doc.tableRows.size() && doc.tableRows[row].start <= p; ++row) {
            spent += RowHeight(doc.tableRows[row].height);
            cellBreak = 0;
        }
        for (; nested < doc.nestedRows.size() && doc.nestedRows[nested].start <= p; ++nested)
            spent += RowHeight(doc.nestedRows[nested].definition.height);
        const double font = FontPixels(doc.runs.empty() ? 24 : doc.runs[run].format.halfPoints);
        const double excess = std::max(0.0, LineHeight(font, format) - kOrdinaryLine);
        const char16_t c = doc.text[static_cast<std::size_t>(p)];
        if (c == kParagraphMark || c == kLineBreak) {
            spent += excess;
            if (c == kLineBreak && row > 0 && format.tableRow) {
                const auto& breaks = doc.tableRows[row - 1].paragraphBreaks;
                for (; cellBreak < breaks.size() && breaks[cellBreak].position <= p; ++cellBreak)
                    spent += Spacing(breaks[cellBreak].spaceBefore, breaks[cellBreak].spaceAfter);
            }
        } else if (c == kObjectMark) {
            for (; picture < doc.pictures.size() && doc.pictures[picture].position < p; ++picture) {
            }
            if (picture < doc.pictures.size() && doc.pictures[picture].position == p)
                spent += std::max(PictureHeight(doc.pictures[picture]), excess);
        } else {
            // A line of the reference width holds this share of the character: big text wraps.
            spent += excess * std::min(1.0, kAverageCharWidth * font / kReferenceWidth);
        }
        if (spent > kArticleHeightBudget)
            return p;
    }
    return size;
}

std::int32_t BoundArticleHeight(RichDocument& doc)
{
    const std::int32_t cut = FirstPositionOverHeightBudget(doc);
    if (cut >= static_cast<std::int32_t>(doc.text.size()))
        return cut;
    for (RichParagraph& paragraph : doc.paragraphs) {
        if (paragraph.mark < cut)
            continue;
        paragraph.format.spaceBefore = paragraph.format.spaceAfter = 0;
        paragraph.format.lineSpacing = 0;
        paragraph.format.lineMultiple = false;
    }
    for (RichTableRow& row : doc.tableRows) {
        if (row.mark < cut)
            continue;
        row.height = 0;
        for (CellParagraphBreak& b : row.paragraphBreaks)
            b.spaceBefore = b.spaceAfter = 0;
    }
    for (RichNestedRow& row : doc.nestedRows) {
        if (row.end > cut)
            row.definition.height = 0;
    }
    for (RichPicture& picture : doc.pictures) {
        if (picture.position < cut)
            continue;
        picture.goalWidth = picture.goalHeight = kPlainPictureTwips;
        picture.scaleX = picture.scaleY = 100;
        picture.cropLeft = picture.cropTop = picture.cropRight = picture.cropBottom = 0;
    }
    // The run holding the cut is split there; then adjacent runs that became alike merge.
    std::vector<CharRun> runs;
    runs.reserve(doc.runs.size() + 1);
    for (CharRun r : doc.runs) {
        const std::int32_t end = r.start + r.length;
        if (r.start < cut && end > cut) {
            runs.push_back({r.start, cut - r.start, r.format});
            r = {cut, end - cut, r.format};
        }
        if (r.start >= cut)
            r.format.halfPoints = std::min(r.format.halfPoints, kPlainHalfPoints);
        if (!runs.empty() && runs.back().format == r.format)
            runs.back().length += r.length;
        else
            runs.push_back(r);
    }
    doc.runs = std::move(runs);
    return cut;
}

} // namespace mirelda
