#include "ui/richtext/text_document_builder.h"

#include "ui/richtext/document_builder.h"
#include "ui/richtext/picture_object.h"
#include "ui/richtext/shape_object.h"

#include <QTextDocument>

#include <algorithm>
#include <optional>

namespace mirelda::ui::build {

namespace {

// The character the document holds for a shown model character other than a paragraph mark.
QChar ShownCharacter(char16_t c)
{
    switch (c) {
    case kLineBreak:
        return QChar::LineSeparator;
    // Characters the document would turn into block or frame boundaries, or object slots
    // without an object, keep their one position as harmless look-alikes.
    case u'\n':
    case u'\u2029':
        return QChar::LineSeparator;
    case u'\uFDD0':
    case u'\uFDD1':
        return QChar::ReplacementCharacter;
    default:
        return QChar(c);
    }
}

} // namespace

void DocumentBuilder::Flush(std::int32_t from, std::int32_t to, const QTextCharFormat& format)
{
    if (from >= to)
        return;
    QString chunk(to - from, Qt::Uninitialized);
    QChar* out = chunk.data();
    if (const int block = cursor_.block().position(); block != tabsBlock_) {
        tabsBlock_ = block;
        tabsInBlock_ = 0;
    }
    for (std::int32_t p = from; p < to; ++p) {
        const char16_t c = model_.text[static_cast<std::size_t>(p)];
        *out++ = c == kTab && ++tabsInBlock_ > kMaxTabsPerBlock ? QChar(QChar::Space) : ShownCharacter(c);
    }
    qsizetype done = 0;
    for (const qsizetype at : longWords_.BreaksIn(chunk, cursor_.position())) {
        map_.addShown(from + static_cast<std::int32_t>(done), cursor_.position(),
                      static_cast<std::int32_t>(at - done));
        cursor_.insertText(chunk.mid(done, at - done), format);
        cursor_.insertText(QString(kWordBreak), format);
        done = at;
    }
    map_.addShown(from + static_cast<std::int32_t>(done), cursor_.position(),
                  static_cast<std::int32_t>(chunk.size() - done));
    cursor_.insertText(done == 0 ? chunk : chunk.mid(done), format);
}

void DocumentBuilder::InsertPicture(std::int32_t position, const QTextCharFormat& format)
{
    while (nextPicture_ < model_.pictures.size() && model_.pictures[nextPicture_].position < position)
        ++nextPicture_;
    const RichPicture* picture = nullptr;
    if (nextPicture_ < model_.pictures.size() && model_.pictures[nextPicture_].position == position)
        picture = &model_.pictures[nextPicture_];
    InsertPictureObject(doc_, cursor_, picture, format, pictureCount_++);
}

const RichParagraph* DocumentBuilder::ParagraphOfMark(std::int32_t mark) const
{
    auto it = std::lower_bound(model_.paragraphs.begin(), model_.paragraphs.end(), mark,
                               [](const RichParagraph& p, std::int32_t m) { return p.mark < m; });
    return it == model_.paragraphs.end() ? nullptr : &*it;
}

PositionMap DocumentBuilder::Run()
{
    const auto textSize = static_cast<std::int32_t>(model_.text.size());
    const std::int32_t finalMark = textSize - 1;
    bool finalHidden = true;
    PlanEvents();
    PlanDrawnNumbers();
    std::size_t nextEvent = 0;

    PlanShapes();
    cursor_.beginEditBlock();
    StartBlock(0);
    for (const Piece& piece : Pieces()) {
        const std::int32_t start = piece.start;
        const std::int32_t end = piece.end;
        // Hidden text is left out, but the table structure it holds still steers the cursor;
        // so is the fallback of a shape drawn instead.
        const bool hidden = piece.format->hidden || piece.replaced;
        const QTextCharFormat format = hidden ? QTextCharFormat() : CharFormatOf(*piece.format);
        if (!hidden) {
            lastFormat_ = format;
            if (end == textSize)
                finalHidden = false;
        }
        std::int32_t pending = start;
        for (std::int32_t p = start; p < end; ++p) {
            bool consumed = false;
            while (nextEvent < events_.size() && events_[nextEvent].position <= p) {
                const Event& event = events_[nextEvent++];
                if (event.position < p)
                    continue; // cannot happen: events lie inside the text, in order
                if (event.kind == EventKind::NestedStart || event.kind == EventKind::NestedCellEnd ||
                    event.kind == EventKind::NestedRowEnd) {
                    if (!hidden && pending < p) {
                        Flush(pending, p, format);
                        pending = p;
                    }
                    HandleEvent(event);
                    continue;
                }
                if (!hidden)
                    Flush(pending, p, format);
                pending = p;
                if (event.kind != EventKind::TableStart) {
                    consumed = true; // the separator tab or the row's mark: no character
                    pending = p + 1;
                }
                if (event.kind == EventKind::ParagraphBreak) {
                    if (!hidden && table_.frame)
                        BreakCellParagraph(p, *event.paragraphBreak, format);
                    else if (!hidden)
                        pending = p; // no cell to break: shown as the line break it is
                    continue;
                }
                HandleEvent(event);
            }
            if (nextShape_ < shapes_.size() && shapes_[nextShape_].first <= p) {
                if (!hidden && pending < p) {
                    Flush(pending, p, format);
                    pending = p;
                }
                InsertShapesAt(p);
            }
            if (consumed || hidden)
                continue;
            const char16_t c = model_.text[static_cast<std::size_t>(p)];
            if (c != kParagraphMark && c != kObjectMark)
                continue;
            Flush(pending, p, format);
            pending = p + 1;
            if (c == kObjectMark) {
                map_.addShown(p, cursor_.position(), 1);
                InsertPicture(p, format);
            } else {
                entries_.push_back({cursor_.block(), ParagraphOfMark(p), format, nullptr, 0});
                if (p != finalMark) {
                    map_.addShown(p, cursor_.position(), 1);
                    cursor_.insertBlock();
                    StartBlock(p + 1);
                }
            }
        }
        if (!hidden)
            Flush(pending, end, format);
    }
    // The document's last block ends at the final mark even when that mark is hidden; after
    // a table that ends the text it holds nothing of the model.
    if (entries_.empty() || entries_.back().block != doc_.lastBlock()) {
        const bool afterTable = !model_.paragraphs.empty() && model_.paragraphs.back().format.tableRow;
        entries_.push_back({doc_.lastBlock(),
                            model_.paragraphs.empty() || afterTable ? nullptr : &model_.paragraphs.back(),
                            lastFormat_, nullptr, 0});
    }
    ApplyParagraphFormats();
    cursor_.endEditBlock();
    if (!finalHidden)
        map_.addShown(finalMark, doc_.characterCount() - 1, 1);
    map_.finish(textSize, doc_.characterCount());
    return std::move(map_);
}

// The runs cut where the fallback of a drawn shape starts and ends.
std::vector<DocumentBuilder::Piece> DocumentBuilder::Pieces() const
{
    const auto textSize = static_cast<std::int32_t>(model_.text.size());
    const std::vector<TextSpan> replaced = ReplacedSpans(model_);
    std::vector<Piece> pieces;
    pieces.reserve(model_.runs.size() + 2 * replaced.size());
    std::size_t next = 0;
    for (const CharRun& run : model_.runs) {
        std::int32_t start = std::clamp(run.start, 0, textSize);
        const auto end = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{run.start} + run.length, start, textSize));
        while (start < end) {
            while (next < replaced.size() && replaced[next].first + replaced[next].length <= start)
                ++next;
            if (next >= replaced.size() || replaced[next].first >= end) {
                pieces.push_back({start, end, &run.format, false});
                break;
            }
            const TextSpan& span = replaced[next];
            if (span.first > start) {
                pieces.push_back({start, span.first, &run.format, false});
                start = span.first;
            }
            const std::int32_t stop = std::min(end, span.first + span.length);
            pieces.push_back({start, stop, &run.format, true});
            start = stop;
        }
    }
    return pieces;
}

// Each drawable shape, at its anchor or, floating, at the start of its anchor's paragraph,
// unless that is a table row.
void DocumentBuilder::PlanShapes()
{
    for (const RichShape& shape : model_.shapes) {
        if (!ShapeDrawable(shape))
            continue;
        const CharRun* run = RunAt(model_, shape.anchor);
        if (run && run->format.hidden)
            continue; // hidden with the text it is anchored in
        std::int32_t at = shape.anchor;
        if (ShapeFloats(shape)) {
            auto it = std::upper_bound(model_.paragraphs.begin(), model_.paragraphs.end(), shape.anchor,
                                       [](std::int32_t p, const RichParagraph& r) { return p < r.start; });
            if (it != model_.paragraphs.begin() && !std::prev(it)->format.tableRow)
                at = std::prev(it)->start;
        }
        shapes_.emplace_back(at, &shape);
    }
    std::stable_sort(shapes_.begin(), shapes_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

void DocumentBuilder::InsertShapesAt(std::int32_t position, bool floatingOnly)
{
    while (nextShape_ < shapes_.size() && shapes_[nextShape_].first <= position &&
           (!floatingOnly || ShapeFloats(*shapes_[nextShape_].second))) {
        InsertShape(doc_, cursor_, *shapes_[nextShape_].second, lastFormat_, pictureCount_);
        ++nextShape_;
    }
}

} // namespace mirelda::ui::build

namespace mirelda::ui {

QChar DocumentCharacter(char16_t modelCharacter)
{
    return modelCharacter == kParagraphMark ? QChar(QChar::ParagraphSeparator)
                                            : build::ShownCharacter(modelCharacter);
}

PositionMap BuildTextDocument(const RichDocument& model, QTextDocument& target, double deviceDpiX)
{
    if (!(deviceDpiX >= 1.0 && deviceDpiX <= 100000.0))
        deviceDpiX = kScreenDpi;
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    const std::optional<RichDocument> bounded = BoundedTables(model);
    PositionMap map = build::DocumentBuilder(model, bounded ? *bounded : model, target, deviceDpiX).Run();
    target.setUndoRedoEnabled(undo);
    return map;
}

} // namespace mirelda::ui
